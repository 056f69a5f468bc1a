#include "tasks/task_question.h"

#include "core/logger.h"
#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "platform/message_box.h"
#include "tasks/task_texts.h"

namespace {
const QLatin1String kName("Question");
}  // namespace

TaskQuestion::TaskQuestion(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskQuestion::~TaskQuestion() { markInterrupted(); }

int TaskQuestion::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                        IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  QString message = propertyText(task_texts::kMessage);
  expandVariables(expander, message);
  if (message.isEmpty()) return 0;
  const platform::QuestionAnswer answer = platform::showQuestion(QStringLiteral("BUILD SYSTEM"), message);
  if (answer == platform::QuestionAnswer::Unattended)
    VLOG_WARNING(kName) << "No one could answer the question (no terminal): the answer is No. Question: '" << message
                        << "'. Task ID: " << getId();
  setVariable(setter, resultVar, answer == platform::QuestionAnswer::Yes ? trueString() : falseString());
  return 0;
}
