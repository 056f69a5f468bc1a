#include "core/logger.h"
#include "core/variables_expander_helper.h"
#include "core/variables_mgr.h"
#include "tasks/task_foreach.h"
#include "tasks/task_runner.h"
#include "tasks/task_setvar.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// A foreach over N items whose one child is a setvar, at log level warning (nothing
// written): the cost must grow linearly with N.
void BM_ForeachSetvar(benchmark::State& state) {
  logger::LogManager* log = logger::LogManager::instance();
  log->addRef();
  log->setLevel(logger::LogWarning);

  const int count = static_cast<int>(state.range(0));
  QStringList items;
  items.reserve(count);
  for (int i = 0; i < count; ++i) items << QString::number(i);

  VariablesMgr variables;
  VariablesExpanderHelper expander(VariablesExpanderHelper::KindDollar, &variables);
  TaskForeach loop(1, nullptr);
  auto* setvar = new TaskSetvar(2, nullptr);
  const bool ready = loop.addChild(setvar) == 0 && variables.set("interrupt.tasks", "false") == 0 &&
                     loop.getPropertiesSetter()->setString("in", items.join(',')) == 0 &&
                     setvar->getPropertiesSetter()->setString("varName", "last") == 0 &&
                     setvar->getPropertiesSetter()->setString("varValue", "#{item}") == 0;
  if (!ready) state.SkipWithError("setup failed");

  for (auto _ : state) {
    if (startTask("Bench", &loop, &expander, &variables, &variables, nullptr, nullptr, nullptr) != 0)
      state.SkipWithError("loop failed");
  }
  QString last;
  if (ready && (variables.get("last", last) != 0 || last != QString::number(count - 1)))
    state.SkipWithError("wrong last item");
  state.SetComplexityN(count);
  log->release();
}
BENCHMARK(BM_ForeachSetvar)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
