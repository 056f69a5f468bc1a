#include "core/process_helper.h"

#include "core/file_utils.h"
#include "core/interrupted.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "platform/regular_file.h"
#include "platform/stop_signals.h"

#include <QFile>
#include <QThread>

#include <algorithm>

namespace {
const char kTag[] = "ProcessHelper";
}

ProcessHelper::ProcessHelper(QObject* parent) : QObject(parent) {
  QMutexLocker lock(&processMutex_);
  process_ = makeProcess();
}

std::unique_ptr<QProcess> ProcessHelper::makeProcess() {
  auto process = std::make_unique<QProcess>();
  QProcess* p = process.get();
  connect(p, &QProcess::errorOccurred, this, &ProcessHelper::onProcessErrorOccurred);
  connect(p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &ProcessHelper::onProcessFinished);
  connect(p, &QProcess::readyReadStandardError, this, &ProcessHelper::onProcessReadyReadStandardError);
  connect(p, &QProcess::readyReadStandardOutput, this, &ProcessHelper::onProcessReadyReadStandardOutput);
  connect(p, &QProcess::started, this, &ProcessHelper::onProcessStarted);
  connect(p, &QProcess::stateChanged, this, &ProcessHelper::onProcessStateChanged);
  return process;
}

ProcessHelper::~ProcessHelper() {
  stop();
  QMutexLocker lock(&processMutex_);
  // Ends a child left running by a timed-out run, without QProcess's warning.
  const auto end = [](QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.kill();
    process.waitForFinished(-1);
  };
  end(*process_);
  for (LeftRunning& left : leftRunning_) end(*left.process);
  leftRunning_.clear();
  collected();
  process_.reset();
}

void ProcessHelper::setAsideLeftRunning() {
  // Each one gets to notice that its child has ended since.
  leftRunning_.erase(std::remove_if(leftRunning_.begin(), leftRunning_.end(),
                                    [](LeftRunning& left) {
                                      left.process->waitForFinished(0);
                                      return left.process->state() == QProcess::NotRunning;
                                    }),
                     leftRunning_.end());
  if (process_->state() != QProcess::NotRunning) process_->waitForFinished(0);
  if (process_->state() == QProcess::NotRunning) {
    collected();
    return;
  }
  // Its output is no longer this runner's to pass on.
  process_->disconnect(this);
  leftRunning_.push_back(LeftRunning{std::move(process_), std::move(registration_)});
  process_ = makeProcess();
}

int ProcessHelper::run(int* exitCode, bool* finished, const QString& program,
                       const QStringList& arguments, const QString& workingDirectory, int waitMs,
                       bool show, bool catchOutput, const QString& outputFile,
                       const QProcessEnvironment& environment) {
  if (running_.exchange(true)) {
    VLOG_ERROR(kTag) << "Process already started. " << program;
    return kAlreadyRunning;
  }
  if (stopFlagSet()) {
    running_ = false;
    return reportInterrupted(kTag, "Starting the program");
  }
  {
    // A program that an earlier run left running goes on beside this run's.
    QMutexLocker lock(&processMutex_);
    setAsideLeftRunning();
  }
  stopRequested_ = false;
  noOutput_ = true;
  outputFailed_ = false;
  outputIsDevice_ = false;
  endSignal_ = 0;
  closeOnStop_ = waitMs < 0;
  {
    QMutexLocker lock(&commandMutex_);
    command_ = program;
  }
  if (exitCode) *exitCode = 0;
  if (finished) *finished = false;
  catchOutput_ = catchOutput;

  if (catchOutput && !outputFile.isEmpty()) openOutputFile(outputFile);

  const QString startError =
      startProcess(program, arguments, workingDirectory, show, catchOutput, environment);
  if (startError.isNull()) waitForEnd(waitMs);

  if (startError.isNull()) {
    QMutexLocker lock(&processMutex_);
    const bool ended = process_->state() == QProcess::NotRunning;
    // Qt gives the signal as the exit code of a child that a signal ended.
    if (ended && process_->exitStatus() == QProcess::CrashExit) endSignal_ = process_->exitCode();
    if (exitCode) {
      *exitCode = !ended ? 0 : endSignal_ != 0 ? platform::signalExitStatus(endSignal_) : process_->exitCode();
    }
    if (finished) *finished = ended;
    collected();
  }
  stop();
  if (catchOutput_ && !outputFile.isEmpty() && noOutput_ && !outputIsDevice_) removeFile(outputFile);
  if (!startError.isNull()) {
    VLOG_ERROR(kTag) << "Failed to start process. Command: " << program << ". Error: " << startError;
    return kFailedToStart;
  }
  return outputFailed_ ? kOutputNotWritten : 0;
}

void ProcessHelper::openOutputFile(const QString& path) {
  // Removing /dev/null would take it from every other program.
  outputIsDevice_ = platform::isCharacterDevice(fileSystemPath(path));
  if (!outputIsDevice_) {
    if (fileExists(path)) {
      removeFile(path);
    } else {
      const QString dir = absoluteDirPath(path);
      if (!dirExists(dir)) makePath(dir);
    }
  }
  auto file = std::make_unique<QFile>(fileSystemPath(path));
  // Unbuffered: a write that the disk refuses fails at once, not at a later flush.
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text | QIODevice::Unbuffered)) {
    // Fails the run as a write would; the output still goes to the log.
    outputFailed_ = true;
    VLOG_ERROR(kTag) << "Failed to open file: '" << path << "': " << file->errorString() << ".";
    return;
  }
  QMutexLocker lock(&outputMutex_);
  outputFile_ = std::move(file);
  outputPath_ = path;
}

QString ProcessHelper::startProcess(const QString& program, const QStringList& arguments,
                                    const QString& workingDirectory, bool show, bool catchOutput,
                                    const QProcessEnvironment& environment) {
  QMutexLocker lock(&processMutex_);
  // Every setting is made on each run: the process object keeps them between runs.
  process_->setProcessEnvironment(environment.isEmpty() ? QProcessEnvironment() : environment);
  const QString discard = show && !catchOutput ? QProcess::nullDevice() : QString();
  process_->setProcessChannelMode(show ? QProcess::SeparateChannels : QProcess::ForwardedChannels);
  // A child on our console reads it too, as one in a window of its own would.
  process_->setInputChannelMode(show ? QProcess::ManagedInputChannel : QProcess::ForwardedInputChannel);
  process_->setStandardOutputFile(discard);
  process_->setStandardErrorFile(discard);
  process_->setWorkingDirectory(dirExists(workingDirectory) ? fileSystemPath(workingDirectory)
                                                            : QString());

  registration_ = std::make_unique<platform::ChildRegistration>();
  process_->start(fileSystemPath(program), arguments, QIODevice::ReadWrite);
  registration_->started(process_->processId());
  if (!process_->waitForStarted(kStartTimeoutMs) && process_->state() == QProcess::NotRunning) {
    collected();
    const QString text = process_->errorString();
    return text.isEmpty() ? QStringLiteral("Unknown error") : text;
  }
  registration_->confirmed();
  // Nothing is ever written to a child that has its own channels: an end of input lets one
  // that reads it finish instead of waiting for ever.
  if (show) process_->closeWriteChannel();
  return QString();
}

void ProcessHelper::waitForEnd(int waitMs) {
  int elapsed = 0;
  // A stop gives the child the grace to end by the SIGTERM that the stop sends it; a
  // child that is to be closed on a stop is then closed, one left running is left.
  int graceLeft = platform::kEndGraceMs;
  for (;;) {
    if (stopRequested_) return;
    if (stopFlagSet()) {
      if (!closeOnStop_ || graceLeft <= 0) return;
      graceLeft -= kWaitStepMs;
    }
    QMutexLocker lock(&processMutex_);
    if (process_->state() == QProcess::NotRunning) return;
    // Returns as soon as the child ends, and delivers its output meanwhile.
    process_->waitForFinished(kWaitStepMs);
    lock.unlock();
    if (waitMs > 0) {
      elapsed += kWaitStepMs;
      if (elapsed >= waitMs) return;
    }
  }
}

void ProcessHelper::collected() {
  if (registration_ && process_->state() == QProcess::NotRunning) registration_.reset();
}

void ProcessHelper::stop() {
  stopRequested_ = true;
  // A QProcess may only be touched from its own thread: there the request is carried out
  // by the waiting run within one step, which then calls stop() itself.
  if (QThread::currentThread() != thread()) return;
  {
    QMutexLocker lock(&processMutex_);
    if (process_ && closeOnStop_) process_->close();
  }
  {
    QMutexLocker lock(&outputMutex_);
    if (outputFile_) {
      outputFile_->close();
      outputFile_.reset();
    }
    outputPath_.clear();
  }
  {
    QMutexLocker lock(&commandMutex_);
    command_.clear();
  }
  running_ = false;
}

void ProcessHelper::onProcessErrorOccurred(QProcess::ProcessError error) {
  if (stopRequested_ || !catchOutput_) return;
  QString command;
  {
    QMutexLocker lock(&commandMutex_);
    command = command_;
  }
  VLOG_ERROR(kTag) << "Process error occurred. Command: " << command
                   << ". Error: " << static_cast<int>(error);
}

void ProcessHelper::onProcessFinished(int, QProcess::ExitStatus) {}
void ProcessHelper::onProcessStarted() {}
void ProcessHelper::onProcessStateChanged(QProcess::ProcessState) {}

void ProcessHelper::onProcessReadyReadStandardError() { forwardOutput(QProcess::StandardError); }
void ProcessHelper::onProcessReadyReadStandardOutput() { forwardOutput(QProcess::StandardOutput); }

void ProcessHelper::forwardOutput(QProcess::ProcessChannel channel) {
  if (stopRequested_ || !catchOutput_) return;
  QByteArray bytes;
  {
    QMutexLocker lock(&processMutex_);
    if (!process_) return;
    bytes = channel == QProcess::StandardOutput ? process_->readAllStandardOutput()
                                                : process_->readAllStandardError();
  }
  if (bytes.isEmpty()) return;
  // By length: Qt 5 decodes a QByteArray only up to its first NUL.
  const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
  if (!text.isEmpty()) logger::makeRawLogClient(logger::LogManager::instance()) << text;
  QString failure;
  QString path;
  {
    QMutexLocker lock(&outputMutex_);
    // After a failed write the file is left alone; the output still goes to the log.
    if (outputFile_ && outputFile_->isOpen() && !outputFailed_ && outputFile_->write(bytes) != bytes.size()) {
      outputFailed_ = true;
      failure = outputFile_->errorString();
      path = outputPath_;
    }
  }
  if (!failure.isNull()) VLOG_ERROR(kTag) << "Failed to write file: '" << path << "': " << failure << ".";
  noOutput_ = false;
}
