// The condition language: the text is compiled and evaluated by the interpreter with
// every built-in function, over a few variables and an empty project table.

#include "fuzz/fuzz_target.h"

#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "intr/interpreter.h"
#include "project/iprojects_provider.h"

namespace {

class NoProjects : public IProjectsProvider {
 public:
  bool exists(const QString&) override { return false; }
  IProject* getProject(const QString&) override { return nullptr; }
  int count() override { return 0; }
  IProject* getProjectAt(int) override { return nullptr; }
};

}  // namespace

VARKEL_FUZZ_TARGET(condition_language) {
  VariablesMgr variables;
  (void)variables.set(QStringLiteral("a"), QStringLiteral("1"));  // fixed: cannot fail
  (void)variables.set(QStringLiteral("list"), QStringLiteral("x;y;z"));  // fixed: cannot fail
  VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &variables);
  NoProjects projects;
  intr::Interpreter interpreter;
  interpreter.init(&expander, &variables, &projects);
  QString result;
  (void)interpreter.evaluate(QString::fromUtf8(fuzz::bytes(data, size)), &result);  // any code is an outcome
}
