#pragma once

#include "core/result_codes.h"
#include "platform/process_tree.h"

#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class QFile;

// Runs one child process at a time and waits for it, optionally copying what it writes
// to the log and to a file. A stop is heard through the flag of setStopFlag (its owner's
// interrupt); stop() may also come from another thread while run() waits.
class ProcessHelper : public QObject {
  Q_OBJECT

 public:
  static constexpr int kAlreadyRunning = core_codes::kAlreadyRunning;
  static constexpr int kFailedToStart = core_codes::kFailedToStart;
  static constexpr int kOutputNotWritten = core_codes::kOutputNotWritten;
  static constexpr int kInterrupted = core_codes::kInterrupted;
  static constexpr int kStartTimeoutMs = 60000;
  static constexpr int kWaitStepMs = 200;

  explicit ProcessHelper(QObject* parent = nullptr);
  ~ProcessHelper() override;

  // 0 after a run, 80 while another run is under way, 81 when the program did not start,
  // 82 when the output file could not be opened or a write to it failed (logged with the
  // file and the system's reason; the child's output is still read to its end and logged),
  // 30 (logged) when the stop flag was set before the program started: it is not started.
  // waitMs <= 0 waits until the child ends; a positive one is rounded up to 200 ms steps
  // and a child still running then is left running: a later run starts its own program
  // beside it, and the runner's end ends it. A stop flag set during the wait ends it; a
  // negative waitMs first gives the child the grace of a stop (kEndGraceMs) to end by the
  // stop's SIGTERM, then kills it. show false: the child writes to our own console and
  // nothing is caught; true: what catchOutput does not take is discarded. A child ended by
  // a signal gives 128 + the signal as its exit code, as a shell does. A character device
  // as the output file (/dev/null) is written to, never removed.
  [[nodiscard]] int run(int* exitCode, bool* finished, const QString& program, const QStringList& arguments,
                        const QString& workingDirectory, int waitMs, bool show, bool catchOutput,
                        const QString& outputFile, const QProcessEnvironment& environment);
  void stop();
  // The flag that tells this runner of a stop; it must outlive the runner.
  void setStopFlag(const std::atomic<bool>* flag) { stopFlag_ = flag; }
  // The signal that ended the child of the last run; 0 when it exited or still runs.
  int endSignal() const { return endSignal_; }

 private slots:
  void onProcessErrorOccurred(QProcess::ProcessError error);
  void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
  void onProcessReadyReadStandardError();
  void onProcessReadyReadStandardOutput();
  void onProcessStarted();
  void onProcessStateChanged(QProcess::ProcessState state);

 private:
  void openOutputFile(const QString& path);
  // Returns the error text when the child could not be started.
  QString startProcess(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, bool show, bool catchOutput,
                       const QProcessEnvironment& environment);
  void waitForEnd(int waitMs);
  bool stopFlagSet() const { return stopFlag_ && stopFlag_->load(std::memory_order_relaxed); }
  // A process object with its signals connected to this runner's slots.
  std::unique_ptr<QProcess> makeProcess();
  // Under the process mutex: the child of a timed-out run that still runs is set aside
  // with its registration, to end by itself or with the runner; those that ended are let go.
  void setAsideLeftRunning();
  void forwardOutput(QProcess::ProcessChannel channel);
  // Under the process mutex: the child's registration ends once the object has its status.
  void collected();

  struct LeftRunning {
    std::unique_ptr<QProcess> process;
    std::unique_ptr<platform::ChildRegistration> registration;
  };

  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> running_{false};
  std::atomic<bool> catchOutput_{false};
  std::atomic<bool> noOutput_{true};
  std::atomic<bool> closeOnStop_{true};
  std::unique_ptr<QProcess> process_;
  // Recursive: the output slots run inside the waits that hold it.
  QMutex processMutex_{QMutex::Recursive};
  std::unique_ptr<QFile> outputFile_;
  QMutex outputMutex_;
  QString command_;
  QMutex commandMutex_;
  std::atomic<int> endSignal_{0};
  std::atomic<bool> outputFailed_{false};
  bool outputIsDevice_ = false;  // of this run; such a file is not removed
  QString outputPath_;           // under the output mutex
  // Of the current child, under the process mutex.
  std::unique_ptr<platform::ChildRegistration> registration_;
  std::vector<LeftRunning> leftRunning_;  // under the process mutex
  const std::atomic<bool>* stopFlag_ = nullptr;
};
