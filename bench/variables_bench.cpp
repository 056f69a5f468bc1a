#include "core/properties_file.h"
#include "core/result_codes.h"
#include "core/variables_expander_helper.h"
#include "core/variables_expanders.h"
#include "core/variables_mgr.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Skips the benchmark when the store refuses an entry.
void fill(benchmark::State& state, VariablesMgr& store, int n) {
  for (int i = 0; i < n; ++i) {
    if (store.set(QStringLiteral("project.module%1.output.dir").arg(i), QStringLiteral("/out/m%1").arg(i)) != 0) {
      state.SkipWithError("fill failed");
      return;
    }
  }
}

void BM_VariablesGet10000(benchmark::State& state) {
  VariablesMgr store;
  fill(state, store, 10000);
  QStringList names;
  for (int i = 0; i < 10000; i += 97) names << QStringLiteral("Project.Module%1.Output.Dir").arg(i);
  QString value;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.get(names[i], value));
    if (++i == names.size()) i = 0;
  }
}
BENCHMARK(BM_VariablesGet10000);

// 4 KB of text holding 100 references, resolved over two rounds of the chain.
void BM_ExpandText4K(benchmark::State& state) {
  VariablesMgr store;
  fill(state, store, 1000);
  if (store.set("root", "${project.module7.output.dir}") != 0) state.SkipWithError("setup failed");
  QString text;
  for (int i = 0; i < 100; ++i) {
    text += i % 10 == 0 ? QStringLiteral("${root}") : QStringLiteral("${project.module%1.output.dir}").arg(i * 7);
    text += QString(40 - (i % 10 == 0 ? 7 : 0), QLatin1Char('.'));
  }
  text = text.left(4096);
  VariablesExpanderHelper helper(VariablesExpanderHelper::KindDollar, &store);
  VariablesExpanders chain(&helper, nullptr);
  for (auto _ : state) {
    QString t = text;
    benchmark::DoNotOptimize(chain.expand(t));
  }
  state.counters["chars"] = text.size();
}
BENCHMARK(BM_ExpandText4K)->Unit(benchmark::kMicrosecond);

void BM_LoadProperties10000(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("big.properties");
  {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("# generated\nbase=/opt/tool\n");
    for (int i = 0; i < 9998; ++i)
      file.write(QStringLiteral("module%1.dir = ${base}/m%1/bin\n").arg(i).toUtf8());
  }
  VariablesMgr known;
  fill(state, known, 100);
  for (auto _ : state) {
    VariablesMgr target;
    PropertiesFile file;
    benchmark::DoNotOptimize(file.loadNoPrefix(path, &known, &target, true));
  }
}
BENCHMARK(BM_LoadProperties10000)->Unit(benchmark::kMillisecond);

// l0, then l1 to l6 each ten references to the line before, then lines that copy l6.
QByteArray multiplyingFile(const QByteArray& l0, int copies, bool numbered) {
  QByteArray text = "l0=" + l0 + "\n";
  for (int i = 1; i <= 6; ++i) text += "l" + QByteArray::number(i) + "=" + ("${l" + QByteArray::number(i - 1) + "}").repeated(10) + "\n";
  for (int n = 1; n <= copies; ++n)
    text += "c" + QByteArray::number(n) + "=${l6}" + (numbered ? "-" + QByteArray::number(n) : QByteArray()) + "\n";
  return text;
}

// Loads the file as the driver loads a property file: into the store it reads from.
void loadHostile(benchmark::State& state, const QByteArray& content) {
  QTemporaryDir dir;
  const QString path = dir.filePath("hostile.properties");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) state.SkipWithError("write failed");
  file.close();
  for (auto _ : state) {
    VariablesMgr variables;
    variables.setRefuseSelfReference(true);
    PropertiesFile properties;
    if (properties.loadNoPrefix(path, &variables, &variables, true) != core_codes::kTextTooLong)
      state.SkipWithError("the load was not refused");
  }
  state.counters["bytes"] = content.size();
}

// 1.1 KB: l0 of 16 characters makes l6 16 M characters, each of the 60 copies as long:
// refused at the first copy, which would take the store beyond its bound.
void BM_PropertyFileToTheBound(benchmark::State& state) {
  loadHostile(state, multiplyingFile("0123456789abcdef", 60, true));
}
BENCHMARK(BM_PropertyFileToTheBound)->Unit(benchmark::kMillisecond);

// 0.8 KB: l0 is an unknown reference, so l6 is 4 M characters of unresolved references,
// copied into 40 names: refused at the eighth copy.
void BM_PropertyFileUnresolved(benchmark::State& state) { loadHostile(state, multiplyingFile("${q}", 40, false)); }
BENCHMARK(BM_PropertyFileUnresolved)->Unit(benchmark::kMillisecond);

}  // namespace
