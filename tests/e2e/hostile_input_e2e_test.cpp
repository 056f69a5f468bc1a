#include "varkel_run.h"

#include "test_support.h"

#include <gtest/gtest.h>

// Hostile inputs run through the real program: each ends with a clear line and a non-zero
// exit code, in bounded memory, instead of crashing, hanging or passing for a success.
// They must end, not be fast: the suite's timeout catches a hang.

namespace {

using testing_support::hostileFixture;

TEST(HostileInputEndToEnd, EachEndsWithItsCodeAndAClearLine) {
  struct Case {
    const char* name;
    QStringList arguments;  // "JOB" stands for a job with one echo task
    int code;
    QStringList logLines;
  };
  const Case cases[] = {
      {"property file whose references multiply",
       {"-properties", hostileFixture("expansion_bomb.properties"), "-job", "JOB"},
       703,
       {"[Variables] Text too long: expanding the variable 'l6' would make it longer than 16777216 characters.",
        "expansion_bomb.properties' expands to a text that is too long (result 703): 'l7=${l6}",
        "[Mgr] [Start] Failed to load variables from property file. Error: 703"}},
      {"property file whose copies outgrow what the variables may hold",
       {"-properties", hostileFixture("copies_beyond_bound.properties"), "-job", "JOB"},
       703,
       {"[Variables] Too much text: storing the variable 'c1' would make the variables of its store hold 33777794 "
        "characters, more than 33554432.",
        "[PropertiesFile] Line 8 of file '" + hostileFixture("copies_beyond_bound.properties") +
            "' stores the variable 'c1' beyond what the variables may hold (result 703): 'c1=${l6}-1'",
        "[Mgr] [Start] Failed to load variables from property file. Error: 703"}},
      {"property file copying unresolved references into many names",
       {"-properties", hostileFixture("unresolved_copies.properties"), "-job", "JOB"},
       703,
       {"[Variables] Too much text: storing the variable 'c8' would make the variables of its store hold 36444474 "
        "characters, more than 33554432.",
        "[PropertiesFile] Line 15 of file '" + hostileFixture("unresolved_copies.properties") +
            "' stores the variable 'c8' beyond what the variables may hold (result 703): 'c8=${l6}'",
        "[Mgr] [Start] Failed to load variables from property file. Error: 703"}},
      {"variables whose references multiply",
       {"-job", hostileFixture("expansion_bomb_vars.xml")},
       703,
       {"[Variables] Text too long: expanding the variable 'l6'", "[XmlParser] Text too long in an attribute.",
        "[Mgr] [Start] Failed to load jobs. Error: 703"}},
      {"setvar tasks whose references multiply",
       {"-job", hostileFixture("expansion_bomb_setvar.xml")},
       703,
       {"[Variables] Text too long: expanding the variable 'l6'",
        "[SetVar] Failed to update variable: its value is too long. Name: 'l7'.",
        "[Mgr] [Start] Failed to process tasks. Error: 703"}},
      {"macro parameter that doubles at every call",
       {"-job", hostileFixture("macro_doubling.xml")},
       703,
       {"[Variables] Text too long: expanding the macro parameter 'q' would make it longer than 16777216 characters.",
        "[Macrodef] Failed to set the macro parameter 'q'. Error: 703. Macro: 'twice'.",
        "[Mgr] [Start] Failed to process tasks. Error: 703"}},
      {"nested ReplaceAll in a condition",
       {"-job", hostileFixture("nested_replace_all.xml")},
       703,
       {"[Interpreter] Text too long: the function 'ReplaceAll' would give more than 16777216 characters.",
        "[Mgr] [Start] Failed to process tasks. Error: 703"}},
      {"macro calling itself 256 deep with a long parameter",
       {"-job", hostileFixture("macro_linear_recursion.xml")},
       311,
       {"[Macrodef] Macro calls are nested too deeply (limit 256). Macro: 'down'.",
        "[Mgr] [Start] Failed to process tasks. Error: 311"}},
      {"element after the root element",
       {"-job", hostileFixture("element_after_root.xml")},
       502,
       {"element_after_root.xml'. Line: 7. Column: 32. Error: Extra content at end of document.",
        "[Mgr] [Start] Failed to load jobs. Error: 502"}},
      {"property line holding a NUL byte",
       {"-properties", hostileFixture("nul_in_line.properties"), "-job", "JOB"},
       204,
       {"[PropertiesFile] Line 2 of file '" + hostileFixture("nul_in_line.properties") +
            "' holds a NUL character (result 204): 'b=1",
        "[Mgr] [Start] Failed to load variables from property file. Error: 204"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    v.writeJob("job.xml", "<tasks><echo message='unreached'/></tasks>");
    QStringList arguments = c.arguments;
    arguments.replaceInStrings(QRegExp("^JOB$"), v.path("job.xml"));
    const RunResult r = v.run(arguments);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log.right(3000));
    for (const QString& line : c.logLines) EXPECT_TRUE(r.logHas(line)) << qPrintable(line);
    EXPECT_FALSE(r.logHas("[Echo] unreached"));
    EXPECT_FALSE(r.logHas("[Echo] inside")) << "not even the task before the bad element";
    EXPECT_FALSE(r.logHas("after the root")) << "nothing of the document is run";
  }
}

// A path of the command line is expanded like any text, and fails like any text.
TEST(HostileInputEndToEnd, CommandLinePathBeyondTheTextLimitFails) {
  for (const char* option : {"-job", "-properties"}) {
    SCOPED_TRACE(option);
    VarkelRun v;
    ASSERT_READY(v);
    v.write("varkel.properties", "big=" + QString(8 * 1024 * 1024 + 1, 'x') + "\n");
    const RunResult r = v.run({option, "${big}${big}"});
    EXPECT_EQ(r.exitCode, 703 & 0xff) << qPrintable(r.log.right(3000));
    EXPECT_TRUE(r.logHas("[Variables] Text too long: expanding the variable 'big'"));
    EXPECT_TRUE(r.logHas("[Mgr] [Start] Failed to parse command line. Error: 703"));
  }
}

// A FIFO named by a job would block the run for ever in open(); it is refused at once.
TEST(HostileInputEndToEnd, FilesThatAreNotRegularAreRefused) {
  struct Case {
    const char* name;
    const char* job;
    int code;
    const char* logLine;
  };
  const Case cases[] = {
      {"include", "<includes><include file='fifo'/></includes>", 501,
       "[JobXmlParser] Failed to parse included XML file: 'DIR/fifo'."},
      {"loadproperties element", "<loadproperties><file file='fifo'/></loadproperties>", 20,
       "[XmlParser] Failed to read properties file ('DIR/fifo'). Error: 20."},
      {"loadproperties task", "<tasks><loadproperties file='DIR/fifo'/></tasks>", 20,
       "[LoadProperties] Failed to read properties file ('DIR/fifo'). Error: 20."},
      {"include of a directory", "<includes><include file='.'/></includes>", 501,
       "[XmlParser] Failed to open file: 'DIR'. It is not a regular file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VarkelRun v;
    ASSERT_READY(v);
    ASSERT_TRUE(testing_support::makeFifo(v.path("fifo")));
    v.writeJob("job.xml", v.inDir(c.job) + "<tasks><echo message='unreached'/></tasks>");
    const RunResult r = v.runJob();
    EXPECT_EQ(r.exitCode, c.code & 0xff) << qPrintable(r.log.right(3000));
    EXPECT_TRUE(r.logHas(v.inDir(c.logLine))) << qPrintable(r.log.right(3000));
    if (QString(c.name) != "include of a directory") {
      EXPECT_TRUE(r.logHas(v.inDir("Failed to open file: 'DIR/fifo'. It is not a regular file.")));
    }
    EXPECT_FALSE(r.logHas("[Echo] unreached"));
  }
}

// The command line's own files may come through pipes, as a shell passes <(...): they
// are read to their end.
TEST(HostileInputEndToEnd, CommandLineFilesMayBePipes) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("run.sh",
          "#!/bin/bash\n"
          "exec \"$(dirname \"$0\")/varkel\" -properties <(printf 'a=1\\nb=${a}2\\n') "
          "-job <(printf '<project><tasks><echo message=\"piped ${a} ${b}\"/></tasks></project>')\n",
          true);
  QProcess p;
  p.start(v.path("run.sh"), QStringList());
  ASSERT_TRUE(p.waitForFinished(kRunTimeoutMs));
  EXPECT_EQ(p.exitCode(), 0) << qPrintable(v.read("logs/build_system.log"));
  const QString log = v.read("logs/build_system.log");
  EXPECT_TRUE(log.contains("[Echo] piped 1 12\r\n")) << qPrintable(log);
  EXPECT_TRUE(log.contains("' was loaded successfully."));
}

// A NUL byte in a program's output is logged with everything after it.
TEST(HostileInputEndToEnd, ProcessOutputHoldingANulIsLoggedWhole) {
  VarkelRun v;
  ASSERT_READY(v);
  v.write("nul.sh", "#!/bin/sh\nprintf 'before\\000after\\n'\n", true);
  v.writeJob("job.xml", v.inDir("<tasks><exec exe='DIR/nul.sh' catchoutput='yes' output='DIR/out.txt'/></tasks>"));
  const RunResult r = v.runJob();
  EXPECT_EQ(r.exitCode, 0) << qPrintable(r.log);
  EXPECT_TRUE(r.logHas(QString::fromUtf8("before\0after\n", 13)));
  EXPECT_EQ(v.read("out.txt"), QString::fromUtf8("before\0after\n", 13));
}

}  // namespace
