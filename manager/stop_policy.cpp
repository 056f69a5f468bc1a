#include "manager/stop_policy.h"

#include "core/log_appenders.h"
#include "core/logger.h"
#include "manager/exit_code.h"
#include "platform/console_output.h"
#include "platform/process_tree.h"
#include "platform/stop_signals.h"
#include "platform/whole_file.h"
#include "tasks/running_tasks.h"

#include <QThread>

#include <atomic>

namespace {

const QLatin1String kTag("Mgr");

// Set once a run is being given up: its end belongs to the stop's thread from then on.
std::atomic<bool> g_givingUp{false};

QString exitByTheSignal(int signal) {
  return QStringLiteral("The process ends by the signal ") + platform::signalName(signal) +
         QStringLiteral(" (exit code ") + QString::number(platform::signalExitStatus(signal)) + QStringLiteral(").");
}

class Policy final : public platform::IStopSignalListener {
 public:
  long long onStop(int) override {
    // The sweep first: a child that starts while the tasks hear of the stop is ended too.
    platform::sweepForStop(platform::kEndGraceMs);
    interruptRunningTasks();
    return StopPolicy::kUnwindMs;
  }

  long long onLaterSignal(int signal, long long msAfterFirst) override {
    if (msAfterFirst <= StopPolicy::kSameStopMs) return StopPolicy::kUnwindMs;
    const int first = platform::stopSignal();
    giveUp(first, QStringLiteral("Finish. Another stop signal, ") + platform::signalName(signal) +
                      QStringLiteral(", came ") + QString::number(msAfterFirst) + QStringLiteral(" ms after ") +
                      platform::signalName(first) + QStringLiteral(": the run was ended at once. ") +
                      exitByTheSignal(first));
  }

  long long onTimeUp(long long) override {
    const int first = platform::stopSignal();
    giveUp(first, QStringLiteral("Finish. The run did not wind up within ") +
                      QString::number(StopPolicy::kUnwindMs / 1000) + QStringLiteral(" s of ") +
                      platform::signalName(first) + QStringLiteral(": it was ended. ") + exitByTheSignal(first));
  }

 private:
  // On the stop's thread, while the run's own may be stuck anywhere, in the logger too:
  // nothing here waits on it.
  [[noreturn]] static void giveUp(int signal, const QString& line) {
    g_givingUp.store(true);
    // Nothing the run logs from here on may follow the line.
    logger::sealLog(0);
    (void)platform::endDescendants(0);
    // A file half written under a name of its own would stay beside its target.
    platform::removePendingTemporaryFiles();
    logger::writeLastLine(logger::LogError, kTag, line);
    const QByteArray text = line.toUtf8() + '\n';
    (void)platform::writeStandardErrorAtOnce(text.constData(), static_cast<std::size_t>(text.size()));
    platform::dieBySignal(signal);
  }
};

}  // namespace

void StopPolicy::install() {
  // Never destroyed: its thread may call it as the program exits.
  static Policy* const policy = new Policy;
  if (const int error = platform::listenForStopSignals(policy))
    VLOG_WARNING(kTag) << "Stop signals end the program at once, without its children. Native error: " << error;
  // What the children leave behind stays ours to end.
  if (const int error = platform::adoptOrphans())
    VLOG_WARNING(kTag) << "What the children leave behind may outlive the run. Native error: " << error;
  if (!platform::canSeeDescendants())
    VLOG_WARNING(kTag) << "The processes of the system cannot be listed (no /proc): a stop can end only the "
                          "programs that the run starts itself, not what they start.";
}

bool StopPolicy::stopped() { return platform::stopSignal() != 0; }

int StopPolicy::exitCode(int result) {
  // The run is being given up: the stop's thread writes the last line and ends the process.
  while (g_givingUp.load()) QThread::sleep(1);
  const int signal = platform::stopSignal();
  if (signal == 0) {
    const int code = exitCodeOf(result);
    if (code != result)
      VLOG_ERROR(kTag) << "Finish. Result " << result << " leaves the process with exit code " << code << ".";
    return code;
  }
  VLOG_ERROR(kTag) << "Finish. The run was stopped by the signal " << platform::signalName(signal) << ". Result "
                   << result << " leaves the process with exit code " << platform::signalExitStatus(signal) << ".";
  // Whoever waits for the program sees it die by the signal, as it would have unhandled.
  platform::dieBySignal(signal);
}
