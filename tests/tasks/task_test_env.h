#pragma once

#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/task.h"
#include "test_support.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace task_test_env {

using testing_support::ScopedEnv;
using testing_support::readFile;
using testing_support::writeFile;

// A temporary directory, a system-wide variable file of its own (never the real one),
// job variables with "${}" expansion over them, and a captured log.
class TaskTest : public ::testing::Test {
 protected:
  TaskTest()
      : systemFile_(dir_.filePath("environment")),
        systemEnv_("VARKEL_SYSTEM_ENVIRONMENT_FILE", systemFile_.toLocal8Bit().constData()),
        expander_(VariablesExpanderHelper::KindDollar, &vars_) {
    EXPECT_EQ(0, vars_.set("interrupt.tasks", "false"));
  }

  QString path(const QString& name) const { return dir_.filePath(name); }
  const QString& systemFile() const { return systemFile_; }
  // A file below the temporary directory, with the directories it needs.
  void put(const QString& name, const QByteArray& content = "x") { writeFile(path(name), content); }

  // An executable /bin/sh script in the temporary directory.
  QString script(const QString& name, const QByteArray& body) {
    const QString file = path(name);
    writeFile(file, "#!/bin/sh\n" + body + "\n", true);
    return file;
  }

  int start(ITask& task) { return task.start(&expander_, &vars_, &vars_, nullptr, nullptr); }

  QString var(const QString& name) {
    QString value = "<unset>";
    (void)vars_.get(name, value);  // optional
    return value;
  }

  QTemporaryDir dir_;
  QString systemFile_;
  ScopedEnv systemEnv_;
  VariablesMgr vars_;
  VariablesExpanderHelper expander_;
  testing_support::ScopedLogCapture capture_;
};

}  // namespace task_test_env
