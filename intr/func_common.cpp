#include "intr/func_common.h"

#include "core/text_helpers.h"
#include "core/variables_expander.h"
#include "intr/result_codes.h"
#include "project/project_paths.h"

namespace intr {

QString FuncCommon::trimmedArgument(const QString& arg) const {
  QString text = arg.trimmed();
  if (expander_) expander_->expand(text);
  return text;
}

QString FuncCommon::argument(const QString& arg) const {
  QString text = trimmedArgument(arg);
  stripQuotes(text, true);
  return text;
}

int FuncProject::treatArguments(const std::vector<QString>& args, std::vector<QString>& treated) const {
  if (!hasArgCount(args)) return kWrongArgumentCount;
  if (!projects_) return kNoProjectsProvider;
  treated.clear();
  treated.reserve(args.size());
  for (const QString& arg : args) treated.push_back(argument(arg));
  return kOk;
}

int FuncProject::openProject(const std::vector<QString>& args, std::vector<QString>& treated,
                             IProject** project) const {
  if (const int code = treatArguments(args, treated)) return code;
  if (treated.empty() || treated[0].isEmpty()) return kNoProjectName;
  *project = projects_->getProject(treated[0]);
  return *project ? kOk : kUnknownProject;
}

int FuncOneProject::execute(const std::vector<QString>& args, QString* result) {
  std::vector<QString> treated;
  IProject* project = nullptr;
  if (const int code = openProject(args, treated, &project)) return code;
  return executeOn(project, treated, result);
}

QString FuncProject::resolved(const QString& path, IProject* project) const {
  return resolveProjectPath(path, project, expander());
}

}  // namespace intr
