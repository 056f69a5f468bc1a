#pragma once

#include "core/case_blind_less.h"
#include "core/result_codes.h"
#include "core/variables.h"

#include <QMutex>
#include <QString>

#include <map>

// The store of named texts. Names compare without regard to case; an entry keeps the
// spelling under which it was first stored. Index reads follow that case-blind order.
class VariablesMgr : public IVariablesGetter, public IVariablesSetter {
 public:
  static constexpr int kReadOnly = core_codes::kReadOnly;
  // In a store read through "${}", a value that holds "${name}" of its own name beside
  // other text grows in every round of expansion and can never be resolved.
  static constexpr int kRefersToItself = core_codes::kRefersToItself;

  VariablesMgr() = default;
  VariablesMgr(const VariablesMgr&) = delete;
  VariablesMgr& operator=(const VariablesMgr&) = delete;

  bool exists(const QString& name) override;
  int count() override;
  [[nodiscard]] int getAt(int index, QString& name, QString& value, VariableFlags& flags) override;
  [[nodiscard]] int getAt(int index, QString& name, QString& value) override;
  [[nodiscard]] int getNameAt(int index, QString& name) override;
  [[nodiscard]] int get(const QString& name, QString& value, VariableFlags& flags) override;
  [[nodiscard]] int get(const QString& name, QString& value) override;
  [[nodiscard]] int getFlags(const QString& name, VariableFlags& flags) override;

  [[nodiscard]] int set(const QString& name, const QString& value, VariableFlags flags) override;
  [[nodiscard]] int set(const QString& name, const QString& value) override;
  [[nodiscard]] int remove(const QString& name) override;
  [[nodiscard]] int clear() override;

  // Non-owning. Called with the store locked: it must not call back into this store.
  void setTrigger(IVariablesSetTrigger* trigger);

  // For stores whose values are read through "${}": refuse self-referring values with
  // kRefersToItself. Loop items and macro parameters are read through "#{}" and "@{}",
  // where such a value is harmless, so this is off unless the owner turns it on.
  void setRefuseSelfReference(bool refuse);

 private:
  struct Entry {
    VariableFlags flags;
    QString value;
  };
  using Map = std::map<QString, Entry, CaseBlindLess>;

  [[nodiscard]] int setLocked(const QString& name, const QString& value, const VariableFlags* flags);
  Map::const_iterator atLocked(int index);

  Map map_;
  QMutex mutex_;
  IVariablesSetTrigger* trigger_ = nullptr;
  bool refuseSelfReference_ = false;
  // Last index read, so that a walk by index (copyVariables, printing) stays linear.
  int cursorIndex_ = -1;
  Map::const_iterator cursor_;
};

// Whether value holds a "${name}" reference to name (ignoring case and blanks inside the
// braces) beside other text. The value that is only that reference expands to itself and
// is harmless.
bool refersToItself(const QString& name, const QString& value);

// Copies every variable of source, with its flags, into destination; with overwrite
// false only the names that destination lacks. Gives the result of the last set done.
[[nodiscard]] int copyVariables(VariablesMgr& destination, IVariablesGetter* source, bool overwrite);
