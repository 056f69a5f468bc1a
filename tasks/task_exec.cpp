#include "tasks/task_exec.h"

#include "core/logger.h"
#include "core/process_helper.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "platform/stop_signals.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <vector>

namespace {

const QLatin1String kName("Exec");
const QLatin1String kExe("exe");
const QLatin1String kDir("dir");
const QLatin1String kWaitTime("waittime");
const QLatin1String kShow("show");
const QLatin1String kCatchOutput("catchoutput");
const QLatin1String kOutput("output");
const QLatin1String kExitCodeVar("exitcodevar");
const QLatin1String kWaitResultVar("waitresultvar");
const QLatin1String kArgs("args");

// Peels enclosing double or single quotes, in any nesting, with the blanks around them.
QString unquoted(QString text) {
  while (unquoteDoubleQuotes(text, true) || unquoteSingleQuotes(text, true)) {
  }
  return text;
}

}  // namespace

TaskExec::TaskExec(std::uint64_t id, ITask* parent)
    : TaskCommon(id, kName, parent), process_(std::make_unique<ProcessHelper>()) {
  process_->setStopFlag(interruptFlag());
}

TaskExec::~TaskExec() { markInterrupted(); }

int TaskExec::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                    IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  return finishStart(execute(expander, setter), setter, resultVar, failOnError);
}

int TaskExec::execute(IVariablesExpander* expander, IVariablesSetter* setter) {
  const TextLimitWatch texts;
  const QString exe = unquoted(expandedTrimmed(expander, propertyText(kExe)));
  const QString dir = unquoted(expandedTrimmed(expander, propertyText(kDir)));
  const QString waitText = expandedTrimmed(expander, propertyText(kWaitTime));
  const QString show = expandedTrimmed(expander, propertyText(kShow));
  const QString catchText = expandedTrimmed(expander, propertyText(kCatchOutput));
  const QString output = unquoted(expandedTrimmed(expander, propertyText(kOutput)));
  const QString exitCodeVar = expandedTrimmed(expander, propertyText(kExitCodeVar));
  const QString waitResultVar = expandedTrimmed(expander, propertyText(kWaitResultVar));
  std::vector<QString> rawArgs;
  (void)getProperties()->getStringList(kArgs, rawArgs);  // optional
  QStringList args;
  args.reserve(static_cast<int>(rawArgs.size()));
  for (QString& arg : rawArgs) {
    expandVariables(expander, arg);
    args << arg;
  }

  if (texts.hit()) {
    VLOG_ERROR(getName()) << "The command is not run: one of its texts is too long. Task ID: " << getId();
    return core_codes::kTextTooLong;
  }

  setVariable(setter, exitCodeVar, QStringLiteral("0"));
  setVariable(setter, waitResultVar, falseString());

  {
    const QLatin1String lineEnd("\r\n");
    const QString in = indent(1);
    QString text = QLatin1String("Task ID: ") + QString::number(getId()) + QLatin1String(". Try to execute: \r\n");
    text += in + QLatin1String("Exe: ") + exe + lineEnd;
    text += in + QLatin1String("Directory: ") + dir + lineEnd;
    text += in + QLatin1String("Waiting time: ") + waitText + lineEnd;
    text += in + QLatin1String("Show: ") + show + lineEnd;
    text += in + QLatin1String("Catch output: ") + catchText + lineEnd;
    text += in + QLatin1String("Output: ") + output + lineEnd;
    text += in + QLatin1String("Exit code variable: ") + exitCodeVar + lineEnd;
    text += in + QLatin1String("Waiting result variable: ") + waitResultVar + lineEnd;
    for (const QString& arg : args) text += indent(2) + QLatin1String("Parameter: ") + arg + lineEnd;
    VLOG_INFO(getName()) << text;
  }

  if (exe.isEmpty()) {
    VLOG_INFO(getName()) << "The command to execute not defined. Task ID: " << getId();
    return kNoCommand;
  }

  int waitMs = -1;
  if (!waitText.isEmpty()) {
    bool ok = false;
    const int value = waitText.toInt(&ok, 10);
    if (ok)
      waitMs = value;
    else
      VLOG_WARNING(getName()) << "Invalid numeric value for 'waiting time': " << waitText
                              << ". Task ID: " << getId();
  }

  VLOG_INFO(getName()) << "Task ID: " << getId() << "\n###############\n----#######----\n-------#-------";
  int exitCode = 0;
  bool ended = false;
  // An empty environment lets the program inherit this process's own, with what the
  // system variable tasks set in it.
  const int code = process_->run(&exitCode, &ended, exe, args, dir, waitMs, !isFalse(show), isTrue(catchText),
                                 output, QProcessEnvironment());
  VLOG_INFO(getName()) << "Task ID: " << getId() << "\n-------#-------\n----#######----\n###############";
  process_->stop();

  // A program that did not start keeps "0" and "false": its failure is the result.
  if (code == kOutputNotWritten)
    VLOG_ERROR(getName()) << "Failed to write the output file: '" << output << "'. Error: " << code
                          << ". Task ID: " << getId();
  else if (code != 0)
    VLOG_ERROR(getName()) << "Failed to starte process. Error: " << code << ". Task ID: " << getId();
  if (const int signal = process_->endSignal())
    VLOG_WARNING(getName()) << "The program was ended by the signal " << platform::signalName(signal)
                            << ". Exit code: " << exitCode << ". Task ID: " << getId();
  setVariable(setter, exitCodeVar, QString::number(exitCode));
  setVariable(setter, waitResultVar, ended ? trueString() : falseString());
  return code;
}
