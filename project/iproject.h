#pragma once

#include "core/case_blind_less.h"
#include "core/file_set_info.h"
#include "core/iproperties.h"
#include "project/result_codes.h"

#include <QString>

#include <cstdint>
#include <map>
#include <vector>

enum ProjectType : std::int32_t {
  ProjectTypeUnknown = 0,
  ProjectTypeBuild = 1,
  ProjectTypeFiles = 2,
};

enum Distribution : std::int32_t {
  DistributionUnknown = 0,
  DistributionProduct = 1,
  DistributionInternal = 100,
};

enum BuildTool : std::int32_t {
  BuildToolUnknown = 0,
  BuildToolMsbuild = 1,
  BuildToolCmd = 100,
  BuildToolQmake = 200,
  BuildToolMake = 300,
  BuildToolCmake = 400,
  BuildToolXcode = 500,
  BuildToolJava = 600,
};

// A version file of a project and the id that selects it.
struct VersionFileInfo {
  QString file;
  QString id;
};

// A project this one depends on, and the condition under which it does.
struct ChildProject {
  QString name;
  QString condition;
};

// A build's platform name and the name to use instead.
struct PlatformMapping {
  QString from;
  QString to;
};

// Project attributes by name, names compared without regard to case.
using ProjectAttributes = std::map<QString, QString, CaseBlindLess>;

// One buildable unit of a build-rules file. Texts and lists come back as copies.
class IProject {
 public:
  static constexpr int kIndexOutOfRange = project_codes::kIndexOutOfRange;
  static constexpr int kAlreadyExists = project_codes::kAlreadyExists;
  static constexpr int kNotFound = project_codes::kNotFound;

  virtual ~IProject() = default;
  virtual qint64 getId() = 0;
  virtual ProjectType getType() = 0;
  virtual BuildTool getBuildType() = 0;
  virtual Distribution getDistribution() = 0;
  virtual QString getName() = 0;
  virtual QString getProjectFile() = 0;
  virtual QString getDefFile() = 0;
  virtual QString getSolutionDir() = 0;
  virtual QString getComment() = 0;
  virtual QString getCondition() = 0;
  virtual QString getFilter() = 0;
  virtual QString getPlatformToolset() = 0;
  virtual bool isProcessed() = 0;
  virtual IPropertiesGetter* getProperties() = 0;
  virtual IPropertiesSetter* getPropertiesSetter() = 0;
  virtual std::vector<PlatformMapping> getPlatformMappings() = 0;
  virtual std::vector<FileSetInfo> getOutputs() = 0;
  virtual void setBuildType(BuildTool buildType) = 0;
  virtual void setDistribution(Distribution distribution) = 0;
  virtual void setProcessed(bool processed) = 0;

  virtual int getVersionFileCount() = 0;
  [[nodiscard]] virtual int getVersionFileAt(int index, VersionFileInfo& info) = 0;
  // kAlreadyExists when a version file of that path is there.
  [[nodiscard]] virtual int addVersionFile(const VersionFileInfo& info) = 0;

  virtual int getChildProjectCount() = 0;
  [[nodiscard]] virtual int getChildProjectAt(int index, ChildProject& child) = 0;
  // kAlreadyExists when a child of that name, in any letter case, is there.
  [[nodiscard]] virtual int addChildProject(const ChildProject& child) = 0;

  virtual int getParentProjectCount() = 0;
  [[nodiscard]] virtual int getParentProjectAt(int index, QString& name) = 0;
  [[nodiscard]] virtual int addParentProject(const QString& name) = 0;

  // In the order of the names, without regard to case.
  virtual int getAttributeCount() = 0;
  [[nodiscard]] virtual int getAttributeAt(int index, QString& name, QString& value) = 0;
  [[nodiscard]] virtual int getAttributeNameAt(int index, QString& name) = 0;
  [[nodiscard]] virtual int getAttribute(const QString& name, QString& value) = 0;
  virtual bool hasAttribute(const QString& name) = 0;
};
