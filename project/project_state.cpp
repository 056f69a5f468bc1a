#include "project/project_state.h"

#include "core/iproperties.h"
#include "project/iproject.h"
#include "project/result_codes.h"

#include <algorithm>
#include <vector>

namespace project_state {

namespace {

std::vector<QString> listOf(IProject* project, const QString& list) {
  std::vector<QString> keys;
  IPropertiesGetter* properties = project ? project->getProperties() : nullptr;
  // A missing list holds nothing yet.
  if (properties) (void)properties->getStringList(list, keys);  // missing-is-empty
  return keys;
}

bool contains(const std::vector<QString>& keys, const QString& key) {
  return std::any_of(keys.begin(), keys.end(),
                     [&key](const QString& k) { return k.compare(key, Qt::CaseInsensitive) == 0; });
}

}  // namespace

bool holds(IProject* project, const QString& list, const QString& key) { return contains(listOf(project, list), key); }

int add(IProject* project, const QString& list, const QString& key) {
  if (!project) return project_codes::kNullProject;
  std::vector<QString> keys = listOf(project, list);
  if (contains(keys, key)) return project_codes::kOk;
  keys.push_back(key);
  return project->getPropertiesSetter()->setStringList(list, keys);
}

}  // namespace project_state
