#pragma once

#include "core/case_blind_less.h"
#include "core/result_codes.h"
#include "core/variables.h"

#include <QMutex>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class VariablesSnapshot;

// The store of named texts. Names compare without regard to case; an entry keeps the
// spelling under which it was first stored. Index reads follow that case-blind order.
class VariablesMgr : public IVariablesGetter, public IVariablesSetter {
 public:
  static constexpr int kReadOnly = core_codes::kReadOnly;
  // In a store read through "${}", a value that holds "${name}" of its own name beside
  // other text grows in every round of expansion and can never be resolved.
  static constexpr int kRefersToItself = core_codes::kRefersToItself;
  // set refuses with core_codes::kTextTooLong a value longer than kMaxTextLength, and one
  // that would take what the store holds, names and values together, beyond
  // kMaxVariablesTotal.

  VariablesMgr() = default;
  ~VariablesMgr() override;
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
  // where such a value is harmless, so this is off unless the owner turns it on. A long
  // value is tested once, however many such stores keep it and however often it is
  // stored again.
  void setRefuseSelfReference(bool refuse);

 private:
  friend class VariablesSnapshot;

  struct Entry {
    VariableFlags flags;
    QString value;
    // The value passed its self-reference test under a record that other stores share.
    bool testShared = false;
  };
  using Map = std::map<QString, Entry, CaseBlindLess>;

  [[nodiscard]] int setLocked(const QString& name, const QString& value, const VariableFlags* flags);
  Map::const_iterator atLocked(int index);
  [[nodiscard]] int refusedLocked(const QString& name, const QString& value, bool& testShared);
  // Before an entry changes, each open snapshot keeps it as it was (the first time only).
  void preserveLocked(const QString& name, const Entry* entry);
  void preserveAllLocked();
  // The entry leaves the store: a shared test record loses a holder.
  static void releaseLocked(const Entry& entry);

  Map map_;
  QMutex mutex_;
  IVariablesSetTrigger* trigger_ = nullptr;
  bool refuseSelfReference_ = false;
  // Last index read, so that a walk by index (copyVariables, printing) stays linear.
  int cursorIndex_ = -1;
  Map::const_iterator cursor_;
  // Names and values, in QString units.
  qint64 total_ = 0;
  std::vector<VariablesSnapshot*> snapshots_;
};

// What a getter held when the snapshot was taken, whatever is stored or removed there
// afterwards. Over a VariablesMgr nothing is copied, so taking one costs nothing however
// many variables the store holds: until the snapshot ends, the store keeps for it each
// entry as it was before its first change. Any other getter is copied. A snapshot ends
// before its store; should it not, it keeps what the store held at its end.
class VariablesSnapshot {
 public:
  // A null source: a snapshot that holds nothing.
  explicit VariablesSnapshot(IVariablesGetter* source);
  ~VariablesSnapshot();
  VariablesSnapshot(const VariablesSnapshot&) = delete;
  VariablesSnapshot& operator=(const VariablesSnapshot&) = delete;

  bool exists(const QString& name);
  // True, with the value (and flags when asked), when the name was there.
  bool get(const QString& name, QString& value, VariableFlags* flags = nullptr);

 private:
  friend class VariablesMgr;
  // An empty optional: the name was not there.
  using Kept = std::map<QString, std::optional<VariablesMgr::Entry>, CaseBlindLess>;

  const VariablesMgr::Entry* findLocked(const QString& name) const;

  // Both guarded by the store's mutex.
  VariablesMgr* store_ = nullptr;
  Kept kept_;
  std::unique_ptr<VariablesMgr> copy_;
};

// Whether value holds a "${name}" reference to name (ignoring case and blanks inside the
// braces) beside other text. The value that is only that reference expands to itself and
// is harmless.
bool refersToItself(const QString& name, const QString& value);

// How many values the stores of this thread have tested for a reference to their own
// name: what those tests cost is counted by the tests, not timed.
std::uint64_t selfReferenceTests();

// Copies every variable of source, with its flags, into destination; with overwrite
// false only the names that destination lacks. Gives the result of the last set done.
[[nodiscard]] int copyVariables(VariablesMgr& destination, IVariablesGetter* source, bool overwrite);
