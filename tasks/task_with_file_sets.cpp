#include "tasks/task_with_file_sets.h"

#include "core/file_utils.h"
#include "core/path_utils.h"
#include "core/variables_expander.h"

QString TaskWithFileSets::baseDirectory() const {
  const QString file = getFile();
  return file.isEmpty() ? QString() : parentDirOf(file);
}

QString TaskWithFileSets::resolved(const QString& baseDir, const QString& path) {
  if (baseDir.isEmpty() || path.isEmpty()) return path;
  return cleanAbsolutePath(makeAbsolutePath(baseDir, path));
}

std::vector<TaskWithFileSets::WorkingSet> TaskWithFileSets::workingFileSets(IVariablesExpander* expander,
                                                                             const QString& baseDir) const {
  std::vector<WorkingSet> out;
  for (const FileSetInfo& stored : fileSets_) {
    WorkingSet working;
    working.set.dir = resolved(baseDir, expandedTrimmed(expander, stored.dir));
    if (working.set.dir.isEmpty()) continue;
    for (const FileSetInclude& include : stored.includes) {
      FileSetInclude copy = include;
      copy.name = expandedTrimmed(expander, include.name);
      if (!copy.name.isEmpty()) working.set.includes.push_back(copy);
    }
    working.includesAllEmpty = !stored.includes.empty() && working.set.includes.empty();
    for (const QString& exclude : stored.excludes) {
      const QString pattern = expandedTrimmed(expander, exclude);
      if (!pattern.isEmpty()) working.set.excludes << pattern;
    }
    out.push_back(std::move(working));
  }
  return out;
}
