#pragma once

#include "intr/function.h"

#include <QString>

#include <vector>

class IProjectsProvider;
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

 private:
  IProjectsProvider* projects_;
};

}  // namespace intr
