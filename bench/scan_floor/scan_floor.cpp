// The floor of the 'build rules' scan as a whole process: walks the tree from the file
// or directory given and writes how many files it read.
#include "scan_floor_walk.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  const int files = scan_floor::walk(QString::fromLocal8Bit(argv[1]));
  if (files < 0) return 1;
  QTextStream(stdout) << "files: " << files << "\n";
  return 0;
}
