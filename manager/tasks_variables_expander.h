#pragma once

#include "core/variables.h"
#include "core/variables_expander.h"
#include "core/variables_expander_helper.h"

#include <QString>

// One pass of ${name} references over one store; the text is replaced only when the
// result differs in more than letter case.
inline bool expandFromOneStore(IVariablesGetter* store, QString& text) {
  const QString result = expandDollarVariables(store, text);
  if (QString::compare(result, text, Qt::CaseInsensitive) == 0) return false;
  text = result;
  return true;
}

// The expander over the global variables. Two bases of one class cannot share an
// override, so each names its store through its own hook.
class TasksVariablesExpander : public IVariablesExpander {
 public:
  bool expand(QString& text) override { return expandFromStore(text); }
  virtual bool expandFromStore(QString& text) { return expandFromOneStore(tasksVariables(), text); }

 protected:
  virtual IVariablesGetter* tasksVariables() = 0;
};

// The expander over the project variables, used while 'build rules' files are read.
class ProjectsVariablesExpander : public IVariablesExpander {
 public:
  bool expand(QString& text) override { return expandFromStore(text); }
  virtual bool expandFromStore(QString& text) { return expandFromOneStore(projectsVariables(), text); }

 protected:
  virtual IVariablesGetter* projectsVariables() = 0;
};
