#pragma once

#include "core/variables.h"
#include "core/variables_mgr.h"

#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

// Reads files of "name=value" lines into a store, expanding ${name} against the
// variables known so far. The entries read outlive a load, so the entries of one file
// stay visible to the next file loaded through the same object.
class PropertiesFile {
 public:
  PropertiesFile() { read_.setRefuseSelfReference(true); }

  // 0, or the code of the first failure: 20 the file cannot be opened (or, while
  // regular files only are read, is not one), 204 a line without "=" or holding a NUL
  // character, 700 a read-only name, 702 a value that names its own entry, 703 a line
  // or an expanded text longer than kMaxTextLength, or an entry that a store refuses for
  // what it would hold. Entries stored before a failure stay stored. With acceptNew
  // false an entry reaches target only when known holds its name. The file is read to
  // its end whatever it is, so a pipe works as well. References see, in this order, the
  // entries of this load, what known held when the load began (nothing is copied), and
  // the entries of earlier loads.
  [[nodiscard]] int load(const QString& path, IVariablesGetter* known, IVariablesSetter* target, bool acceptNew,
                         const QString& prefix);
  [[nodiscard]] int loadNoPrefix(const QString& path, IVariablesGetter* known, IVariablesSetter* target,
                                 bool acceptNew);
  [[nodiscard]] int parseLine(const QString& line, IVariablesGetter* known, IVariablesSetter* target);

  // On by default: a file that a job names must be a regular file, so that a FIFO or a
  // device cannot block the run. The command line's own files may be pipes.
  void setRegularFilesOnly(bool only) { regularFilesOnly_ = only; }

 private:
  [[nodiscard]] int readLines(QIODevice& file, const QString& path, IVariablesGetter* known,
                              IVariablesSetter* target);
  bool lookup(const QString& name, QString& value);
  bool readByThisLoad(const QString& name);
  bool knownValue(const QString& name, QString& value, VariableFlags* flags);

  // Every entry read through this object; the category of each is the number of the
  // load that read it.
  VariablesMgr read_;
  std::uint32_t load_ = 0;
  // What known held when this load began: known itself when this load alone writes to
  // it (it is the target), else a snapshot of it.
  IVariablesGetter* knownItself_ = nullptr;
  std::unique_ptr<VariablesSnapshot> knownSnapshot_;
  bool acceptNew_ = true;
  QString prefix_;
  bool regularFilesOnly_ = true;
  // The entry of the last line that a store refused, for its error line.
  QString refusedName_;
};
