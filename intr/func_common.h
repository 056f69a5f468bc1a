#pragma once

#include "intr/function.h"
#include "project/iprojects_provider.h"

#include <QString>
#include <QStringList>

#include <vector>

class IVariablesExpander;
class IVariablesGetter;

namespace intr {

// Base of every built-in function; holds the expander (most get none) and the
// variables getter, neither owned.
class FuncCommon : public IFunction {
 public:
  FuncCommon(IVariablesExpander* expander, IVariablesGetter* getter)
      : expander_(expander), getter_(getter) {}
  bool isVariadic() const override { return false; }

 protected:
  // Trimmed, expanded when an expander is held, then stripped of quotes.
  QString argument(const QString& arg) const;
  // Trimmed and expanded only.
  QString trimmedArgument(const QString& arg) const;
  bool hasArgCount(const std::vector<QString>& args) const {
    return args.size() == static_cast<size_t>(argCount());
  }
  IVariablesExpander* expander() const { return expander_; }
  IVariablesGetter* getter() const { return getter_; }

 private:
  IVariablesExpander* expander_;
  IVariablesGetter* getter_;
};

// Base of the built-ins over the project model.
class FuncProject : public FuncCommon {
 public:
  FuncProject(IVariablesExpander* expander, IVariablesGetter* getter, IProjectsProvider* projects)
      : FuncCommon(expander, getter), projects_(projects) {}

 protected:
  IProjectsProvider* projects() const { return projects_; }
  // The common start: 2005 for a wrong count, 404 without a provider, then every
  // argument trimmed, expanded and stripped into treated.
  [[nodiscard]] int treatArguments(const std::vector<QString>& args, std::vector<QString>& treated) const;
  // The same for a function of the project named by the first argument: 314 when the
  // name is empty, 400 when the provider does not know it.
  [[nodiscard]] int openProject(const std::vector<QString>& args, std::vector<QString>& treated,
                                IProject** project) const;
  // A project path made absolute against the project's definition file.
  QString resolved(const QString& path, IProject* project) const;
  // The names of the projects that pass the test, in the provider's order.
  template <typename Test>
  QString projectNames(Test test) const;

 private:
  IProjectsProvider* projects_;
};

// Base of the functions of the one project that the first argument names.
class FuncOneProject : public FuncProject {
 public:
  using FuncProject::FuncProject;
  [[nodiscard]] int execute(const std::vector<QString>& args, QString* result) final;

 protected:
  // args are treated and the project is known.
  [[nodiscard]] virtual int executeOn(IProject* project, const std::vector<QString>& args, QString* result) = 0;
};

template <typename Test>
QString FuncProject::projectNames(Test test) const {
  QStringList names;
  const int count = projects_->count();
  for (int i = 0; i < count; ++i) {
    IProject* project = projects_->getProjectAt(i);
    if (project && test(project)) names << project->getName();
  }
  return names.join(QLatin1Char(','));
}

}  // namespace intr
