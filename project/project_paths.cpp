#include "project/project_paths.h"

#include "core/path_utils.h"
#include "core/variables_expander.h"
#include "project/iproject.h"

#include <QDir>
#include <QFileInfo>

QString resolveProjectPath(const QString& path, IProject* project, IVariablesExpander* expander) {
  if (!project) return path;
  QString resolved = path.trimmed();
  if (expander) expander->expand(resolved);
  if (resolved.isEmpty()) return resolved;
  resolved = makeAbsolutePath(absoluteDirPath(project->getDefFile()), resolved);
  resolved = QDir::cleanPath(QFileInfo(fileSystemPath(resolved)).absoluteFilePath());
  toNativeSeparators(resolved);
  return resolved;
}
