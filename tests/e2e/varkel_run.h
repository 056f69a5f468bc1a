#pragma once

// Runs the real program on job files in a temporary directory: the program is copied
// there, because its log and its default property files live beside it.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// "Within a second" for a run that must end promptly; the sanitizer build runs several
// times slower, and CI runs the tests side by side.
#ifdef VARKEL_SANITIZED
constexpr qint64 kPromptRunMs = 5000;
#else
constexpr qint64 kPromptRunMs = 1000;
#endif

struct RunResult {
  int exitCode = -1;
  bool crashed = false;
  qint64 elapsedMs = 0;
  QString out;
  QString err;
  QString log;
  bool logHas(const QString& text) const { return log.contains(text); }
};

class VarkelRun {
 public:
  VarkelRun() {
    program_ = dir_.filePath("varkel");
    ok_ = dir_.isValid() && QFile::copy(QStringLiteral(VARKEL_BINARY_DIR "/varkel"), program_);
  }

  bool ok() const { return ok_; }
  QString path(const QString& name) const { return dir_.filePath(name); }
  // The text with every DIR replaced by the temporary directory.
  QString inDir(QString text) const { return text.replace("DIR", dir_.path()); }

  void write(const QString& name, const QString& text, bool executable = false) {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(file);
    f.write(text.toUtf8());
    f.close();
    if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner);
  }
  QString read(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
  }

  // A job file: the root element around the given elements.
  void writeJob(const QString& name, const QString& body) {
    write(name, QStringLiteral("<?xml version=\"1.0\"?>\n<project>\n") + body + QStringLiteral("\n</project>\n"));
  }

  void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }
  // Starts the program through an executable that gets the program's path and the
  // arguments (to run it under limits that a test sets).
  void setLauncher(const QString& launcher) { launcher_ = launcher; }

  RunResult run(const QStringList& arguments, int timeoutMs = 20000) {
    RunResult r;
    QProcess p;
    p.setProcessEnvironment(env_);
    p.setWorkingDirectory(dir_.path());
    QElapsedTimer timer;
    timer.start();
    if (launcher_.isEmpty())
      p.start(program_, arguments);
    else
      p.start(launcher_, QStringList{program_} + arguments);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
      p.kill();
      p.waitForFinished();
      ADD_FAILURE() << "varkel did not finish within " << timeoutMs << " ms";
    }
    r.elapsedMs = timer.elapsed();
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = r.crashed ? -1 : p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.log = read("logs/build_system.log");
    if (r.log == QLatin1String("<missing>")) r.log.clear();
    return r;
  }

  RunResult runJob(const QString& job = QStringLiteral("job.xml"), QStringList more = {}) {
    return run(QStringList{"-job", job} + more);
  }

 private:
  QTemporaryDir dir_;
  QString program_;
  QString launcher_;
  bool ok_ = false;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
};

#define ASSERT_READY(run) ASSERT_TRUE((run).ok()) << "cannot copy " VARKEL_BINARY_DIR "/varkel"
