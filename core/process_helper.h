#pragma once

#include "core/result_codes.h"

#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QFile;

// Runs one child process at a time and waits for it, optionally copying what it writes
// to the log and to a file. stop() may come from another thread while run() waits.
class ProcessHelper : public QObject {
  Q_OBJECT

 public:
  static constexpr int kAlreadyRunning = core_codes::kAlreadyRunning;
  static constexpr int kFailedToStart = core_codes::kFailedToStart;
  static constexpr int kOutputNotWritten = core_codes::kOutputNotWritten;
  static constexpr int kStartTimeoutMs = 60000;
  static constexpr int kWaitStepMs = 200;

  explicit ProcessHelper(QObject* parent = nullptr);
  ~ProcessHelper() override;

  // 0 after a run, 80 while another run is under way, 81 when the program did not start,
  // 82 when the output file could not be opened or a write to it failed (logged with the
  // file and the system's reason; the child's output is still read to its end and logged).
  // waitMs <= 0 waits until the child ends; a positive one is rounded up to 200 ms steps
  // and a child still running then is left running. show false: the child writes to our
  // own console and nothing is caught; true: what catchOutput does not take is discarded.
  // A child ended by a signal gives 128 + the signal as its exit code, as a shell does.
  // A character device as the output file (/dev/null) is written to, never removed.
  [[nodiscard]] int run(int* exitCode, bool* finished, const QString& program, const QStringList& arguments,
                        const QString& workingDirectory, int waitMs, bool show, bool catchOutput,
                        const QString& outputFile, const QProcessEnvironment& environment);
  void stop();
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
  void forwardOutput(QProcess::ProcessChannel channel);
  // Under the process mutex: the child's registration ends once the object has its status.
  void collected();

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
  qint64 childPid_ = 0;          // of the registered child, under the process mutex
};
