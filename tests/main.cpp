#include "platform/file_name_codec.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  // As the program does: the tests handle names that are not UTF-8.
  platform::keepFileNameBytes();
  // No test reads or writes the real system-wide variable file: those that touch it
  // name a file of their own, and the rest find this empty one.
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  const QString file = dir.filePath(QStringLiteral("environment"));
  QFile empty(file);
  if (!empty.open(QIODevice::WriteOnly)) return 1;
  empty.close();
  qputenv("VARKEL_SYSTEM_ENVIRONMENT_FILE", file.toLocal8Bit());
  return RUN_ALL_TESTS();
}
