#pragma once

#include "project/iproject.h"

// The project table; names compared without regard to case. The projects stay
// owned by the provider.
class IProjectsProvider {
 public:
  virtual ~IProjectsProvider() = default;
  virtual bool exists(const QString& name) = 0;
  virtual IProject* getProject(const QString& name) = 0;
  virtual int count() = 0;
  // In the table's name order; null outside it.
  virtual IProject* getProjectAt(int index) = 0;
};
