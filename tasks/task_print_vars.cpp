#include "tasks/task_print_vars.h"

#include "core/variables.h"
#include "tasks/print_listing.h"
#include "tasks/task_texts.h"

namespace {

const QLatin1String kName("PrintVars");
constexpr int kNameWidth = 45;
constexpr int kConstantWidth = 10;

void appendRow(QString& out, const QString& name, const QString& constant, const QString& value) {
  out += name.leftJustified(kNameWidth);
  out += QLatin1Char(' ');
  out += constant.leftJustified(kConstantWidth);
  out += QLatin1Char(' ');
  out += value;
  out += QLatin1Char('\n');
}

// Their values would break the table's lines.
bool isLineEndSymbol(const QString& name) {
  for (const char* symbol : {"symbol.cr", "symbol.lf", "symbol.crlf"})
    if (name.compare(QLatin1String(symbol), Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

TaskPrintVars::TaskPrintVars(std::uint64_t id, ITask* parent) : TaskCommon(id, kName, parent) {}

TaskPrintVars::~TaskPrintVars() { markInterrupted(); }

int TaskPrintVars::start(IVariablesExpander* expander, IVariablesGetter* getter, IVariablesSetter* setter,
                         IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const QString file = expandedTrimmed(expander, propertyText(task_texts::kFile));
  const QString rule = QStringLiteral("-----------------------------");
  QString listing = QStringLiteral("Variables list:\n\n");
  appendRow(listing, rule, QStringLiteral("--------"), rule);
  appendRow(listing, QStringLiteral("Variable Name"), QStringLiteral("Constant"), QStringLiteral("Variable Value"));
  appendRow(listing, rule, QStringLiteral("--------"), rule);
  const int count = getter ? getter->count() : 0;
  for (int i = 0; i < count; ++i) {
    QString name, value;
    VariableFlags flags;
    if (getter->getAt(i, name, value, flags) != 0) continue;
    appendRow(listing, name, flags.readOnly ? QStringLiteral("yes") : QStringLiteral("no"),
              isLineEndSymbol(name) ? QString() : value);
  }
  listing += QLatin1Char('\n');
  printListing(kName, getId(), file, listing);
  setVariable(setter, resultVar, QStringLiteral("0"));
  return 0;
}
