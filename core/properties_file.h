#pragma once

#include "core/variables.h"
#include "core/variables_mgr.h"

#include <QString>

// Reads files of "name=value" lines into a store, expanding ${name} against the
// variables known so far. The working store outlives a load, so the entries of one
// file stay visible to the next file loaded through the same object.
class PropertiesFile {
 public:
  PropertiesFile() { variables_.setRefuseSelfReference(true); }

  // 0, or the code of the first failure: 20 the file cannot be opened, 204 a line
  // without "=", 700 a read-only name, 702 a value that names its own entry. Entries stored before a failure stay stored.
  // With acceptNew false an entry reaches target only when known holds its name.
  [[nodiscard]] int load(const QString& path, IVariablesGetter* known, IVariablesSetter* target, bool acceptNew,
                         const QString& prefix);
  [[nodiscard]] int loadNoPrefix(const QString& path, IVariablesGetter* known, IVariablesSetter* target,
                                 bool acceptNew);
  [[nodiscard]] int parseLine(const QString& line, IVariablesGetter* known, IVariablesSetter* target);

 private:
  VariablesMgr variables_;
  bool acceptNew_ = true;
  QString prefix_;
};
