#pragma once

// A project table in memory, in name order ignoring case, as the driver keeps it.

#include "core/case_blind_less.h"
#include "project/iprojects_provider.h"
#include "project/project_build.h"
#include "project/project_files.h"

#include <iterator>
#include <map>
#include <memory>

namespace project_testing {

class FakeProjects : public IProjectsProvider {
 public:
  template <typename T = ProjectBuild>
  T* add(const QString& name) {
    auto project = std::make_shared<T>(static_cast<qint64>(projects_.size() + 1), name);
    T* raw = project.get();
    projects_[name] = std::move(project);
    return raw;
  }

  bool exists(const QString& name) override { return projects_.count(name) != 0; }
  IProject* getProject(const QString& name) override {
    auto it = projects_.find(name);
    return it == projects_.end() ? nullptr : it->second.get();
  }
  int count() override { return static_cast<int>(projects_.size()); }
  IProject* getProjectAt(int index) override {
    if (index < 0 || index >= count()) return nullptr;
    return std::next(projects_.begin(), index)->second.get();
  }

 private:
  std::map<QString, std::shared_ptr<IProject>, CaseBlindLess> projects_;
};

}  // namespace project_testing
