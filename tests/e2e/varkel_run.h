#pragma once

// Runs the real program on job files in a temporary directory: the program is copied
// there, because its log and its default property files live beside it. Its system-wide
// variable file is "environment" there, empty, unless a test names another.

#include "test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// A run that takes longer has hung: far above what a loaded machine or the sanitizer
// build needs, below the test's own timeout.
constexpr int kRunTimeoutMs = 60000;

struct RunResult {
  int exitCode = -1;
  bool crashed = false;
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
    if (!ok_) return;
    write("environment", QString());
    setEnv("VARKEL_SYSTEM_ENVIRONMENT_FILE", path("environment"));
  }

  bool ok() const { return ok_; }
  QString path(const QString& name) const { return dir_.filePath(name); }
  // The text with every DIR replaced by the temporary directory.
  QString inDir(QString text) const { return text.replace("DIR", dir_.path()); }

  void write(const QString& name, const QString& text, bool executable = false) {
    testing_support::writeFile(path(name), text.toUtf8(), executable);
  }
  QString read(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? decoded(f.readAll()) : QStringLiteral("<missing>");
  }

  // A job file: the root element around the given elements.
  void writeJob(const QString& name, const QString& body) {
    write(name, QStringLiteral("<?xml version=\"1.0\"?>\n<project>\n") + body + QStringLiteral("\n</project>\n"));
  }

  void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }
  // Starts the program through an executable that gets the program's path and the
  // arguments (to run it under limits that a test sets).
  void setLauncher(const QString& launcher) { launcher_ = launcher; }

  RunResult run(const QStringList& arguments) {
    QProcess p;
    start(p, arguments);
    return finish(p);
  }

  // A run without waiting for it, so that runs can overlap; finish waits for it and
  // collects what it left.
  void start(QProcess& p, const QStringList& arguments) {
    p.setProcessEnvironment(env_);
    p.setWorkingDirectory(dir_.path());
    if (launcher_.isEmpty())
      p.start(program_, arguments);
    else
      p.start(launcher_, QStringList{program_} + arguments);
    p.closeWriteChannel();
  }

  RunResult finish(QProcess& p) {
    RunResult r;
    if (!p.waitForFinished(kRunTimeoutMs)) {
      p.kill();
      p.waitForFinished();
      ADD_FAILURE() << "varkel did not finish within " << kRunTimeoutMs << " ms";
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = r.crashed ? -1 : p.exitCode();
    r.out = decoded(p.readAllStandardOutput());
    r.err = decoded(p.readAllStandardError());
    r.log = read("logs/build_system.log");
    if (r.log == QLatin1String("<missing>")) r.log.clear();
    return r;
  }

  RunResult runJob(const QString& job = QStringLiteral("job.xml"), QStringList more = {}) {
    return run(QStringList{"-job", job} + more);
  }

 private:
  // By length: Qt 5 decodes a QByteArray only up to its first NUL.
  static QString decoded(const QByteArray& bytes) { return QString::fromUtf8(bytes.constData(), bytes.size()); }

  QTemporaryDir dir_;
  QString program_;
  QString launcher_;
  bool ok_ = false;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
};

#define ASSERT_READY(run) ASSERT_TRUE((run).ok()) << "cannot copy " VARKEL_BINARY_DIR "/varkel"
