#pragma once

// Runs the real program on job files in a temporary directory: the program is copied
// there, because its log and its default property files live beside it. Its system-wide
// variable file is "environment" there, empty, unless a test names another.

#include "test_support.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

// A run that takes longer has hung: far above what a loaded machine or the sanitizer
// build needs, below the test's own timeout.
constexpr int kRunTimeoutMs = 60000;

struct RunResult {
  int exitCode = -1;
  bool crashed = false;
  int endSignal = 0;  // the signal that ended the program, when one did
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

  // 'build rules' for "-pmanifest varkel.xml": one project of type "files" in the
  // directory name, whose file set "all" takes the include from dir (relative to it).
  void writeFilesProject(const QString& name, const QString& dir, const QString& include = "*") {
    write("varkel.xml", "<?xml version='1.0'?>\n<project><scan><targets><target path='" + name +
                            "'/></targets></scan></project>\n");
    write(name + "/varkel.xml", "<?xml version='1.0'?>\n<project><solutions><solution type='files' name='" + name +
                                    "'><output><fileset id='all' dir='" + dir + "'><include name='" + include +
                                    "'/></fileset></output></solution></solutions></project>\n");
  }

  void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }
  // Starts the program through an executable that gets the program's path and the
  // arguments (to run it under limits that a test sets).
  void setLauncher(const QString& launcher) { launcher_ = launcher; }
  // What the program reads on its standard input before its end.
  void setInput(const QByteArray& input) { input_ = input; }

  RunResult run(const QStringList& arguments) {
    QProcess p;
    start(p, arguments);
    return finish(p);
  }

  // Starts the program without waiting for it, for a test that acts on it while it runs;
  // finish gives the result.
  void start(QProcess& p, const QStringList& arguments) {
    p.setProcessEnvironment(env_);
    p.setWorkingDirectory(dir_.path());
    if (launcher_.isEmpty())
      p.start(program_, arguments);
    else
      p.start(launcher_, QStringList{program_} + arguments);
    if (!input_.isEmpty()) p.write(input_);
    p.closeWriteChannel();
  }

  // Reads the program's standard output until it holds the marker; false when the
  // program ends first or takes longer than a run may. What was read stays for finish.
  bool waitForOutput(QProcess& p, const QByteArray& marker) {
    QElapsedTimer timer;
    timer.start();
    while (!out_.contains(marker)) {
      const qint64 left = kRunTimeoutMs - timer.elapsed();
      if (left <= 0 || !p.waitForReadyRead(static_cast<int>(left))) return false;
      out_ += p.readAllStandardOutput();
    }
    return true;
  }

  // Runs the program until its standard output says "ready", then sends it the signal
  // (a name that kill(1) takes: "TERM") and gives the result of its end.
  RunResult runAndStop(const QStringList& arguments, const QString& signal) {
    QProcess p;
    start(p, arguments);
    if (waitForOutput(p, "ready"))
      QProcess::execute("kill", {"-" + signal, QString::number(p.processId())});
    else
      ADD_FAILURE() << "the job never said it was ready";
    return finish(p);
  }

  // Every process whose id one of the files holds has ended.
  void expectEnded(const QStringList& pidFiles) {
    for (const QString& name : pidFiles) {
      const QString pid = read(name).trimmed();
      if (pid.toInt() <= 0) {
        ADD_FAILURE() << "no process id in " << name.toStdString();
      } else if (!testing_support::processEnds(pid, kRunTimeoutMs)) {
        QProcess::execute("kill", {"-9", pid});
        ADD_FAILURE() << "the process of " << name.toStdString() << " outlived the run";
      }
    }
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
    r.endSignal = r.crashed ? p.exitCode() : 0;  // Qt's exit code of a crash is the signal
    r.out = decoded(out_ + p.readAllStandardOutput());
    out_.clear();
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
  QByteArray out_;  // read by waitForOutput
  QString program_;
  QString launcher_;
  QByteArray input_;
  bool ok_ = false;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
};

// A script that starts a child of its own, writes its id and the child's to
// DIR/script.pid and DIR/child.pid, says "ready" and waits for the child.
inline const char kScriptWithAChild[] =
    "#!/bin/sh\nsleep 300 &\necho $! > DIR/child.pid\necho $$ > DIR/script.pid\necho ready\nwait\n";

// A launcher that runs the program as nobody.
inline void runAsNobody(VarkelRun& v) {
  v.write("as-nobody.sh", "#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups \"$@\"\n", true);
  v.setLauncher(v.path("as-nobody.sh"));
}

inline bool canRunAsNobody() {
  return !QStandardPaths::findExecutable("setpriv").isEmpty() &&
         QProcess::execute("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "true"}) == 0;
}

// The program's directory, open to nobody for reading; its log as given.
inline bool openToNobody(VarkelRun& v) {
  const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                  QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
  return QFile::setPermissions(v.path("."), open) && QFile::setPermissions(v.path("varkel"), open);
}

// The last line of the log.
inline QString lastLogLine(const RunResult& r) {
  const QStringList lines = r.log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  return lines.isEmpty() ? QString() : lines.last();
}

#define ASSERT_READY(run) ASSERT_TRUE((run).ok()) << "cannot copy " VARKEL_BINARY_DIR "/varkel"
