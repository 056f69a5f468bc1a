#include "manager/build_manager.h"

#include "core/file_utils.h"
#include "core/logger.h"
#include "manager/result_codes.h"

#include <QMutexLocker>

#include <algorithm>
#include <utility>

using namespace manager_codes;

namespace {

template <typename T>
void removeFirst(QMutex& mutex, std::vector<std::shared_ptr<T>>& list, const T* item) {
  std::shared_ptr<T> released;  // dropped after the unlock: its destructor may call back
  QMutexLocker lock(&mutex);
  auto it = std::find_if(list.begin(), list.end(), [item](const std::shared_ptr<T>& p) { return p.get() == item; });
  if (it == list.end()) return;
  released = std::move(*it);
  list.erase(it);
}

}  // namespace

int BuildManager::loadJob() {
  const QString path = jobFilePath();
  if (path.isEmpty()) {
    VLOG_INFO(kLogTag) << "[LoadJob] 'Job' file not defined.";
    jobParser_.stop();
    return kOk;
  }
  if (!fileExists(path)) {
    VLOG_ERROR(kLogTag) << "'Job' file not found. File: '" << path << "'.";
    jobParser_.stop();
    // A job that was asked for and is missing must not pass for a successful run.
    return kJobNotFound;
  }
  const int code = jobParser_.parseFile(path, true, QString(), QString());
  if (code != kOk) VLOG_ERROR(kLogTag) << "[LoadJob] Failed to parse file: '" << path << "'.";
  jobParser_.stop();
  return code;
}

int BuildManager::addTask(ITask* task) {
  if (!task) return kOk;
  std::shared_ptr<ITask> owner = shareTask(task);
  QMutexLocker lock(&rootTasksMutex_);
  rootTasks_.push_back(std::move(owner));
  return kOk;
}

int BuildManager::removeTask(ITask* task) {
  if (task) removeFirst(rootTasksMutex_, rootTasks_, task);
  return kOk;
}

int BuildManager::addMacrodef(IMacrodef* macrodef) {
  if (!macrodef) return kOk;
  std::shared_ptr<IMacrodef> owner(macrodef);
  macrodef->setId(static_cast<std::uint64_t>(macrodefIds_.nextId()));
  QMutexLocker lock(&macrodefsMutex_);
  macrodefs_.push_back(std::move(owner));
  macrodefsByName_.emplace(macrodef->getName(), macrodef);
  return kOk;
}

int BuildManager::removeMacrodef(IMacrodef* macrodef) {
  if (!macrodef) return kOk;
  {
    QMutexLocker lock(&macrodefsMutex_);
    auto it = macrodefsByName_.find(macrodef->getName());
    if (it != macrodefsByName_.end() && it->second == macrodef) {
      const QString name = it->first;
      macrodefsByName_.erase(it);
      for (const std::shared_ptr<IMacrodef>& m : macrodefs_) {
        if (m.get() != macrodef && m->getName().compare(name, Qt::CaseInsensitive) == 0) {
          macrodefsByName_.emplace(m->getName(), m.get());
          break;
        }
      }
    }
  }
  removeFirst(macrodefsMutex_, macrodefs_, macrodef);
  return kOk;
}

int BuildManager::createParser(const QString& elementName, XmlTaskParser** out) {
  return xmlTaskFactory_.createParser(elementName, out);
}

bool BuildManager::contains(const QString& name) { return find(name) != nullptr; }

IMacrodef* BuildManager::find(const QString& name) {
  QMutexLocker lock(&macrodefsMutex_);
  const auto it = macrodefsByName_.find(name);
  return it != macrodefsByName_.end() ? it->second : nullptr;
}
