#include "core/log_appenders.h"
#include "core/logger.h"
#include "manager/build_manager.h"
#include "manager/exit_code.h"
#include "manager/stop_listener.h"
#include "manager/stop_policy.h"
#include "platform/broken_pipe.h"
#include "platform/process_tree.h"
#include "platform/stop_signals.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
  logger::LogManager* log = logger::LogManager::instance();
  log->addRef();
  log->addAppender(new logger::LogAppenderFile(logger::LogAppenderFile::kDefaultSizeLimit));
  log->addAppender(new logger::LogAppenderConsole);
  log->setLevel(logger::LogTrace);
  for (std::uint64_t bit : {logger::FilterTaskManager, logger::FilterTaskDetails, logger::FilterTaskBuild,
                            logger::FilterTaskCopy, logger::FilterCopyFiles})
    log->setFilter(bit);

  auto app = std::make_unique<QCoreApplication>(argc, argv);
  if (const int error = platform::installBrokenPipeHandler())
    VLOG_WARNING("Mgr") << "A console that closes ends the run. Native error: " << error;
  // Before the run starts anything: a stop signal ends what it started, and what the
  // children leave behind stays ours to end.
  listenForStops();
  if (const int error = installStopPolicy())
    VLOG_WARNING("Mgr") << "Stop signals end the program at once, without its children. Native error: " << error;
  if (const int error = platform::adoptOrphans())
    VLOG_WARNING("Mgr") << "What the children leave behind may outlive the run. Native error: " << error;
  if (!platform::canSeeDescendants())
    VLOG_WARNING("Mgr") << "The processes of the system cannot be listed (no /proc): a stop can end only the "
                           "programs that the run starts itself, not what they start.";

  auto manager = std::make_unique<BuildManager>();
  (void)manager->init();  // logged
  const int result = manager->start(argc, argv);
  // A program left running after its waiting time, and whatever the children started.
  if (const int ended = platform::endDescendants())
    VLOG_WARNING("Mgr") << "Finish. Processes still running at the end of the run were ended: " << ended << ".";
  manager.reset();
  const int signal = platform::stopSignal();
  const int exitCode = signal != 0 ? platform::signalExitStatus(signal) : exitCodeOf(result);
  if (signal != 0)
    VLOG_ERROR("Mgr") << "Finish. The run was stopped by the signal " << platform::signalName(signal) << ". Result "
                      << result << " leaves the process with exit code " << exitCode << ".";
  else if (exitCode != result)
    VLOG_ERROR("Mgr") << "Finish. Result " << result << " leaves the process with exit code " << exitCode << ".";
  app.reset();
  log->release();
  if (signal != 0) {
    // Whoever waits for the program sees it die by the signal, as it would have unhandled.
    std::fflush(nullptr);
    platform::dieBySignal(signal);
  }
  return exitCode;
}
