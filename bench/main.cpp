#include "platform/file_name_codec.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  platform::keepFileNameBytes();  // as the program runs
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
