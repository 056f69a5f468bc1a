#include "tasks/task_messagebox.h"

#include "core/variables_expander.h"
#include "platform/message_box.h"
#include "tasks/task_texts.h"

namespace {

const QLatin1String kName("Messagebox");
const QLatin1String kIcon("icon");

struct IconWord {
  const char* word;
  int kind;
};

// Matched with letter case: "Warning" is not "warning".
const IconWord kIcons[] = {
    {"info", platform::BoxInformation},
    {"warning", platform::BoxWarning},
    {"error", platform::BoxError},
    {"stop", platform::BoxStop},
};

int boxKindOf(const QString& icon) {
  for (const IconWord& i : kIcons)
    if (icon == QLatin1String(i.word)) return i.kind;
  return platform::BoxInformation;
}

}  // namespace

TaskMessagebox::TaskMessagebox(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskMessagebox::~TaskMessagebox() { markInterrupted(); }

int TaskMessagebox::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                          IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  QString message = propertyText(task_texts::kMessage);
  expandVariables(expander, message);
  if (!message.isEmpty()) {
    QString icon = propertyText(kIcon);
    expandVariables(expander, icon);
    (void)platform::showMessageBox(boxKindOf(icon), QStringLiteral("BUILD SYSTEM"), message);  // always-zero
  }
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
