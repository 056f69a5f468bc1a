#include "core/variables_mgr.h"

#include "core/logger.h"
#include "core/result_codes.h"
#include "core/text_limit.h"

#include <QMutexLocker>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {
constexpr int kNotFound = core_codes::kNotFound;

// Below this length a value is tested again rather than listed.
constexpr int kSharedTestLength = 1024;
// A text kept under more names than this is simply tested again for the next one.
constexpr int kMaxNamesPerText = 8;

// Long texts whose self-reference test passed, by the address and length of their
// characters. A value handed from store to store (copied, loaded into a target, stored
// again) is one shared text, so it is tested once however many stores keep it. A text
// is listed only while some store keeps it, so its address cannot stand for another
// text meanwhile.
class PassedTexts {
 public:
  bool passed(const QString& name, const QString& text) {
    QMutexLocker lock(&mutex_);
    const auto it = records_.find(keyOf(text));
    return it != records_.end() && it->second.names.contains(name.trimmed(), Qt::CaseInsensitive);
  }
  // One more store keeps the text, tested under name.
  void keep(const QString& name, const QString& text) {
    QMutexLocker lock(&mutex_);
    Record& record = records_[keyOf(text)];
    ++record.holders;
    const QString wanted = name.trimmed();
    if (record.names.size() < kMaxNamesPerText && !record.names.contains(wanted, Qt::CaseInsensitive))
      record.names << wanted;
  }
  void release(const QString& text) {
    QMutexLocker lock(&mutex_);
    const auto it = records_.find(keyOf(text));
    if (it != records_.end() && --it->second.holders <= 0) records_.erase(it);
  }

 private:
  using Key = std::pair<const QChar*, int>;
  struct Record {
    int holders = 0;
    QStringList names;
  };
  static Key keyOf(const QString& text) { return {text.constData(), text.size()}; }

  QMutex mutex_;
  std::map<Key, Record> records_;
};

// Never destroyed: a store may outlive the statics of this file.
PassedTexts& passedTexts() {
  static PassedTexts* const instance = new PassedTexts;
  return *instance;
}

thread_local std::uint64_t g_selfReferenceTests = 0;

QString shownName(const QString& name) { return name.size() > 200 ? name.left(200) + QStringLiteral("...") : name; }

qint64 sizeOf(const QString& name, const QString& value) { return qint64(name.size()) + value.size(); }

}  // namespace

bool refersToItself(const QString& name, const QString& value) {
  const QString wanted = name.trimmed();
  if (wanted.isEmpty()) return false;
  // From reference to reference by the library's search for one character, never
  // character by character here: a value may hold millions of them.
  const QChar* text = value.constData();
  const int size = value.size();
  for (int start = value.indexOf(QLatin1Char('$')); start >= 0 && start + 1 < size;
       start = value.indexOf(QLatin1Char('$'), start + 1)) {
    if (text[start + 1] != QLatin1Char('{')) continue;
    const int end = value.indexOf(QLatin1Char('}'), start + 2);
    if (end < 0) break;
    int first = start + 2;
    int last = end;
    while (first < last && text[first].isSpace()) ++first;
    while (last > first && text[last - 1].isSpace()) --last;
    if (last - first == wanted.size() &&
        QStringView(text + first, last - first).compare(wanted, Qt::CaseInsensitive) == 0 &&
        (start != 0 || end != size - 1))
      return true;
    start = end;
  }
  return false;
}

std::uint64_t selfReferenceTests() { return g_selfReferenceTests; }

VariablesMgr::~VariablesMgr() {
  QMutexLocker lock(&mutex_);
  preserveAllLocked();
  for (VariablesSnapshot* snapshot : snapshots_) snapshot->store_ = nullptr;
  for (const auto& item : map_) releaseLocked(item.second);
}

bool VariablesMgr::exists(const QString& name) {
  QMutexLocker lock(&mutex_);
  return map_.find(name) != map_.end();
}

int VariablesMgr::count() {
  QMutexLocker lock(&mutex_);
  return static_cast<int>(map_.size());
}

VariablesMgr::Map::const_iterator VariablesMgr::atLocked(int index) {
  const int size = static_cast<int>(map_.size());
  if (index < 0 || index >= size) return map_.end();
  // Step from whichever of the start, the end and the cursor is nearest.
  Map::const_iterator it = map_.begin();
  int from = 0;
  if (size - 1 - index < index) {
    it = std::prev(map_.end());
    from = size - 1;
  }
  if (cursorIndex_ >= 0 && std::abs(index - cursorIndex_) < std::abs(index - from)) {
    it = cursor_;
    from = cursorIndex_;
  }
  std::advance(it, index - from);
  cursor_ = it;
  cursorIndex_ = index;
  return it;
}

int VariablesMgr::getAt(int index, QString& name, QString& value, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  value = it->second.value;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::getAt(int index, QString& name, QString& value) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  value = it->second.value;
  return 0;
}

int VariablesMgr::getNameAt(int index, QString& name) {
  QMutexLocker lock(&mutex_);
  const auto it = atLocked(index);
  if (it == map_.end()) return kNotFound;
  name = it->first;
  return 0;
}

int VariablesMgr::get(const QString& name, QString& value, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  value = it->second.value;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::get(const QString& name, QString& value) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  value = it->second.value;
  return 0;
}

int VariablesMgr::getFlags(const QString& name, VariableFlags& flags) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  flags = it->second.flags;
  return 0;
}

int VariablesMgr::refusedLocked(const QString& name, const QString& value, bool& testShared) {
  testShared = false;
  if (!refuseSelfReference_) return 0;
  testShared = value.size() >= kSharedTestLength;
  if (testShared && passedTexts().passed(name, value)) return 0;
  ++g_selfReferenceTests;
  if (!refersToItself(name, value)) return 0;
  testShared = false;
  VLOG_ERROR("Variables") << "Variable refers to itself and can never be expanded. Name: '" << name
                          << "'. Value: '" << value.left(200) << "'";
  return kRefersToItself;
}

void VariablesMgr::releaseLocked(const Entry& entry) {
  if (entry.testShared) passedTexts().release(entry.value);
}

void VariablesMgr::preserveLocked(const QString& name, const Entry* entry) {
  for (VariablesSnapshot* snapshot : snapshots_) {
    if (entry)
      snapshot->kept_.emplace(name, Entry{entry->flags, entry->value, false});
    else
      snapshot->kept_.emplace(name, std::nullopt);
  }
}

void VariablesMgr::preserveAllLocked() {
  if (snapshots_.empty()) return;
  for (const auto& item : map_) preserveLocked(item.first, &item.second);
}

int VariablesMgr::setLocked(const QString& name, const QString& value, const VariableFlags* flags) {
  auto it = map_.lower_bound(name);
  const bool found = it != map_.end() && !CaseBlindLess()(name, it->first);
  if (found && it->second.flags.readOnly) return kReadOnly;

  QString replacement;
  const bool replaced = trigger_ && trigger_->onVariableSet(name, value, replacement);
  const QString& stored = replaced ? replacement : value;
  if (!fitsTextLimit(stored.size())) {
    countTextLimitHit();
    VLOG_ERROR("Variables") << "Text too long: the value of the variable '" << shownName(name) << "' has "
                            << stored.size() << " characters, more than " << kMaxTextLength << ".";
    return core_codes::kTextTooLong;
  }
  const qint64 total =
      total_ - (found ? sizeOf(it->first, it->second.value) : 0) + sizeOf(found ? it->first : name, stored);
  if (total > kMaxVariablesTotal) {
    countTextLimitHit();
    VLOG_ERROR("Variables") << "Too much text: storing the variable '" << shownName(name)
                            << "' would make the variables of its store hold " << total
                            << " characters, more than " << kMaxVariablesTotal << ".";
    return core_codes::kTextTooLong;
  }
  bool testShared = false;
  if (const int refused = refusedLocked(name, stored, testShared)) return refused;

  preserveLocked(found ? it->first : name, found ? &it->second : nullptr);
  // Kept before the old entry lets go, so that storing a value again keeps its record.
  if (testShared) passedTexts().keep(name, stored);
  if (found) {
    releaseLocked(it->second);
    it->second.value = stored;
    it->second.testShared = testShared;
    if (flags) it->second.flags = *flags;
  } else {
    map_.emplace_hint(it, name, Entry{flags ? *flags : VariableFlags{}, stored, testShared});
    cursorIndex_ = -1;
  }
  total_ = total;
  return 0;
}

int VariablesMgr::set(const QString& name, const QString& value, VariableFlags flags) {
  QMutexLocker lock(&mutex_);
  return setLocked(name, value, &flags);
}

int VariablesMgr::set(const QString& name, const QString& value) {
  QMutexLocker lock(&mutex_);
  return setLocked(name, value, nullptr);
}

int VariablesMgr::remove(const QString& name) {
  QMutexLocker lock(&mutex_);
  const auto it = map_.find(name);
  if (it == map_.end()) return kNotFound;
  preserveLocked(it->first, &it->second);
  releaseLocked(it->second);
  total_ -= sizeOf(it->first, it->second.value);
  map_.erase(it);
  cursorIndex_ = -1;
  return 0;
}

int VariablesMgr::clear() {
  QMutexLocker lock(&mutex_);
  preserveAllLocked();
  for (const auto& item : map_) releaseLocked(item.second);
  map_.clear();
  total_ = 0;
  cursorIndex_ = -1;
  return 0;
}

void VariablesMgr::setRefuseSelfReference(bool refuse) {
  QMutexLocker lock(&mutex_);
  refuseSelfReference_ = refuse;
}

void VariablesMgr::setTrigger(IVariablesSetTrigger* trigger) {
  QMutexLocker lock(&mutex_);
  trigger_ = trigger;
}

int copyVariables(VariablesMgr& destination, IVariablesGetter* source, bool overwrite) {
  if (!source) return 0;
  int result = 0;
  QString name;
  QString value;
  VariableFlags flags;
  for (int index = 0; index < source->count(); ++index) {
    if (source->getAt(index, name, value, flags) != 0) continue;
    if (overwrite || !destination.exists(name)) result = destination.set(name, value, flags);
  }
  return result;
}

VariablesSnapshot::VariablesSnapshot(IVariablesGetter* source) {
  if (auto* store = dynamic_cast<VariablesMgr*>(source)) {
    QMutexLocker lock(&store->mutex_);
    store_ = store;
    store->snapshots_.push_back(this);
  } else if (source) {
    copy_ = std::make_unique<VariablesMgr>();
    (void)copyVariables(*copy_, source, true);  // a plain store refuses nothing
  }
}

VariablesSnapshot::~VariablesSnapshot() {
  if (!store_) return;
  QMutexLocker lock(&store_->mutex_);
  auto& snapshots = store_->snapshots_;
  snapshots.erase(std::remove(snapshots.begin(), snapshots.end(), this), snapshots.end());
}

const VariablesMgr::Entry* VariablesSnapshot::findLocked(const QString& name) const {
  const auto kept = kept_.find(name);
  if (kept != kept_.end()) return kept->second ? &*kept->second : nullptr;
  if (!store_) return nullptr;
  const auto it = store_->map_.find(name);
  return it == store_->map_.end() ? nullptr : &it->second;
}

bool VariablesSnapshot::exists(const QString& name) {
  QString value;
  return get(name, value);
}

bool VariablesSnapshot::get(const QString& name, QString& value, VariableFlags* flags) {
  if (copy_) {
    VariableFlags found;
    if (copy_->get(name, value, found) != 0) return false;
    if (flags) *flags = found;
    return true;
  }
  QMutex* mutex = store_ ? &store_->mutex_ : nullptr;
  QMutexLocker lock(mutex);
  const VariablesMgr::Entry* entry = findLocked(name);
  if (!entry) return false;
  value = entry->value;
  if (flags) *flags = entry->flags;
  return true;
}
