#pragma once

// A harness is one file, fuzz/<name>.cpp, holding
//   VARKEL_FUZZ_TARGET(name) { ... data, size ... }
// and one line in the harness list of CMakeLists.txt. Built for libFuzzer it is the
// fuzzer's entry; built into the test suite it joins the table through which the suite
// replays every file of fuzz/corpus/<name>/. A harness returns normally on any input:
// a crash, a sanitizer report, a leak or a hang is the finding.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

using Entry = void (*)(const std::uint8_t* data, std::size_t size);

struct Target {
  const char* name;
  Entry entry;
};

// Every harness compiled into this program.
inline std::vector<Target>& targets() {
  static std::vector<Target> all;
  return all;
}

inline bool addTarget(const char* name, Entry entry) {
  targets().push_back({name, entry});
  return true;
}

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size));
}

// Writes the input to the named file of a directory that lasts as long as the process,
// for readers that take a path; the path, or an empty one when it cannot be written.
// The directory is in memory where it can be: rewriting a file on disk for every input
// would make the disk, not the reader, the fuzzer's work.
inline QString writeInput(const QString& name, const QByteArray& content) {
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                               ? QStringLiteral("/dev/shm/varkel-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/varkel-fuzz-XXXXXX"));
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!dir.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
  return file.write(content) == content.size() ? path : QString();
}

}  // namespace fuzz

#ifdef VARKEL_LIBFUZZER
#define VARKEL_FUZZ_TARGET(name)                                                        \
  static void fuzzOne(const std::uint8_t* data, std::size_t size);                      \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {   \
    fuzzOne(data, size);                                                                \
    return 0;                                                                           \
  }                                                                                     \
  static void fuzzOne(const std::uint8_t* data, std::size_t size)
#else
#define VARKEL_FUZZ_TARGET(name)                                                        \
  static void fuzzOne(const std::uint8_t* data, std::size_t size);                      \
  [[maybe_unused]] static const bool fuzzAdded = ::fuzz::addTarget(#name, &fuzzOne);    \
  static void fuzzOne(const std::uint8_t* data, std::size_t size)
#endif
