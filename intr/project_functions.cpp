#include "intr/project_functions.h"

#include "core/config_keys.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "core/variables.h"
#include "core/variables_expander.h"
#include "intr/result_codes.h"

#include <QFileInfo>
#include <QRegExp>

#include <set>

namespace intr {
namespace {

QString joined(const QStringList& items) { return items.join(QLatin1Char(',')); }

// The project's first output whose trimmed id equals id ignoring case; a lone output
// also answers to the empty id.
const FileSetInfo* outputById(const std::vector<FileSetInfo>& outputs, const QString& id) {
  if (outputs.size() == 1)
    return id.isEmpty() || outputs[0].id.trimmed().compare(id, Qt::CaseInsensitive) == 0 ? &outputs[0] : nullptr;
  for (const FileSetInfo& output : outputs)
    if (output.id.trimmed().compare(id, Qt::CaseInsensitive) == 0) return &output;
  return nullptr;
}

}  // namespace

int FuncGetProjectAttribute::executeOn(IProject* project, const std::vector<QString>& a, QString* result) {
  result->clear();
  (void)project->getAttribute(a[1], *result);  // absent: stays empty
  return kOk;
}

int FuncExistsProjectAttribute::executeOn(IProject* project, const std::vector<QString>& a, QString* result) {
  *result = boolText(project->hasAttribute(a[1]));
  return kOk;
}

int FuncGetAllProjects::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> a;
  if (const int code = treatArguments(args, a)) return code;
  *result = projectNames([](IProject*) { return true; });
  return kOk;
}

int FuncGetAllProjectsByFilter::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> a;
  if (const int code = treatArguments(args, a)) return code;
  const QString& filter = a[0];
  const QRegExp wildcard(filter, Qt::CaseSensitive, QRegExp::Wildcard);
  *result = projectNames([&](IProject* project) {
    QString own = project->getFilter();
    if (expander()) expander()->expand(own);
    if (filter.isEmpty() && own.isEmpty()) return true;
    if (filter == QLatin1String("*")) return true;
    if (own.compare(filter, Qt::CaseInsensitive) == 0) return true;
    if (own.size() > filter.size() && own.at(filter.size()) == QLatin1Char('.') &&
        own.startsWith(filter, Qt::CaseInsensitive))
      return true;
    return wildcard.exactMatch(own);
  });
  return kOk;
}

int FuncGetAllChildProjects::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  // Depth first with an explicit stack: a long chain of dependences must not deepen
  // the call stack. Each name is searched once, so a cycle ends.
  struct Frame {
    IProject* project;
    int next;
  };
  std::set<QString, CaseBlindLess> names;
  std::vector<Frame> stack{{project, 0}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next >= top.project->getChildProjectCount()) {
      stack.pop_back();
      continue;
    }
    ChildProject child;
    if (top.project->getChildProjectAt(top.next++, child) != 0) continue;
    IProject* childProject = projects()->getProject(child.name);
    if (childProject && names.insert(child.name).second) stack.push_back({childProject, 0});
  }
  QStringList list;
  for (const QString& name : names) list << name;
  *result = joined(list);
  return kOk;
}

int FuncGetProjectFilterName::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = project->getFilter();
  return kOk;
}

int FuncGetProjectFile::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = resolved(project->getProjectFile(), project);
  return kOk;
}

int FuncGetProjectDir::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = resolved(project->getSolutionDir(), project);
  return kOk;
}

int FuncGetProjectDefFile::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = resolved(project->getDefFile(), project);
  return kOk;
}

namespace {

// outDir made absolute against the current directory, joined with the preferred
// subdirectory that the variable named key holds, when there is one.
QString finalOutDir(const QString& outDir, QString key, IVariablesExpander* expander, IVariablesGetter* getter) {
  QString dir;
  if (!outDir.isEmpty()) dir = QFileInfo(fileSystemPath(outDir)).absoluteFilePath();
  if (!getter) return dir;
  if (expander) expander->expand(key);
  QString subdir;
  if (getter->get(key, subdir) == 0) combinePath(dir, subdir);
  return dir;
}

}  // namespace

int FuncGetProjectFinalOutDirById::executeOn(IProject*, const std::vector<QString>& a, QString* result) {
  *result = finalOutDir(a[2], filesetPreferOutSubdirKey(a[0], a[1]), expander(), getter());
  return kOk;
}

int FuncGetProjectFinalOutDir::executeOn(IProject*, const std::vector<QString>& a, QString* result) {
  *result = finalOutDir(a[1], preferOutSubdirKey(a[0]), expander(), getter());
  return kOk;
}

int FuncGetProjectOutDirById::executeOn(IProject* project, const std::vector<QString>& a, QString* result) {
  const std::vector<FileSetInfo> outputs = project->getOutputs();
  const FileSetInfo* output = outputById(outputs, a[1]);
  *result = output ? resolved(output->dir, project) : QString();
  return kOk;
}

int FuncGetProjectOutDirIdByPath::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> a;
  if (const int code = treatArguments(args, a)) return code;
  if (a[0].isEmpty()) return kNoProjectName;
  if (a[1].isEmpty()) return kEmptyPath;
  IProject* project = projects()->getProject(a[0]);
  if (!project) return kUnknownProject;
  result->clear();
  const std::vector<FileSetInfo> outputs = project->getOutputs();
  if (outputs.empty()) return kOk;
  const QString path = fileSystemPath(resolved(a[1], project));
  for (const FileSetInfo& output : outputs) {
    if (samePath(fileSystemPath(resolved(output.dir, project)), path)) {
      *result = output.id.trimmed();
      break;
    }
  }
  return kOk;
}

int FuncGetProjectOutDirIds::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  std::set<QString, CaseBlindLess> seen;
  QStringList ids;
  for (const FileSetInfo& output : project->getOutputs()) {
    const QString id = trimmedArgument(output.id).trimmed();
    if (!id.isEmpty() && seen.insert(id).second) ids << id;
  }
  *result = joined(ids);
  return kOk;
}

int FuncGetProjectOutDirs::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  QStringList dirs;
  for (const FileSetInfo& output : project->getOutputs()) dirs << resolved(output.dir, project);
  *result = joined(dirs);
  return kOk;
}

int FuncGetChildProjects::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  QStringList names;
  const int count = project->getChildProjectCount();
  for (int i = 0; i < count; ++i) {
    ChildProject child;
    if (project->getChildProjectAt(i, child) == 0) names << child.name;
  }
  *result = joined(names);
  return kOk;
}

int FuncGetProjectVerFileById::executeOn(IProject* project, const std::vector<QString>& a, QString* result) {
  result->clear();
  const int count = project->getVersionFileCount();
  for (int i = 0; i < count; ++i) {
    VersionFileInfo info;
    if (project->getVersionFileAt(i, info) == 0 && info.id.compare(a[1], Qt::CaseInsensitive) == 0) {
      *result = resolved(info.file, project);
      break;
    }
  }
  return kOk;
}

int FuncGetProjectVerFileCount::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = QString::number(project->getVersionFileCount());
  return kOk;
}

int FuncGetProjectVerFileIds::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  QStringList ids;
  const int count = project->getVersionFileCount();
  for (int i = 0; i < count; ++i) {
    VersionFileInfo info;
    if (project->getVersionFileAt(i, info) == 0) ids << info.id;
  }
  *result = joined(ids);
  return kOk;
}

int FuncGetProjectVerFiles::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  QStringList files;
  const int count = project->getVersionFileCount();
  for (int i = 0; i < count; ++i) {
    VersionFileInfo info;
    if (project->getVersionFileAt(i, info) == 0) files << resolved(info.file, project);
  }
  *result = joined(files);
  return kOk;
}

int FuncGetAllBuildProjects::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> a;
  if (const int code = treatArguments(args, a)) return code;
  *result = projectNames([](IProject* project) { return project->getType() == ProjectTypeBuild; });
  return kOk;
}

int FuncGetAllLibs::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> a;
  if (const int code = treatArguments(args, a)) return code;
  *result = projectNames([](IProject* project) { return project->getType() == ProjectTypeFiles; });
  return kOk;
}

int FuncIsBuildProject::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = boolText(project->getType() == ProjectTypeBuild);
  return kOk;
}

int FuncIsLib::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = boolText(project->getType() == ProjectTypeFiles);
  return kOk;
}

int FuncGetAllProjectsByDistribution::execute(const std::vector<QString>& args, QString* result) {
  if (args.size() < static_cast<size_t>(argCount())) return kWrongArgumentCount;
  if (!projects()) return kNoProjectsProvider;
  std::set<int> codes;
  for (const QString& arg : args) {
    const QString name = argument(arg).trimmed();
    if (name.isEmpty()) continue;
    if (const int code = parseDistribution(name)) codes.insert(code);
  }
  result->clear();
  if (codes.empty()) return kOk;
  *result = projectNames([&](IProject* project) { return codes.count(project->getDistribution()) != 0; });
  return kOk;
}

int FuncGetAllProductProjects::execute(const std::vector<QString>&, QString* result) {
  if (!projects()) return kNoProjectsProvider;
  *result = projectNames([](IProject* project) { return project->getDistribution() == DistributionProduct; });
  return kOk;
}

int FuncGetAllInternalProjects::execute(const std::vector<QString>&, QString* result) {
  if (!projects()) return kNoProjectsProvider;
  *result = projectNames([](IProject* project) { return project->getDistribution() == DistributionInternal; });
  return kOk;
}

int FuncGetProjectDistribution::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = distributionName(project->getDistribution());
  return kOk;
}

int FuncIsProductProject::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = boolText(project->getDistribution() == DistributionProduct);
  return kOk;
}

int FuncIsInternalProject::executeOn(IProject* project, const std::vector<QString>&, QString* result) {
  *result = boolText(project->getDistribution() == DistributionInternal);
  return kOk;
}

}  // namespace intr
