#pragma once

#include "core/properties_mgr.h"
#include "project/iproject.h"

#include <QMutex>

// The data of a project; the subclasses fix its type.
class ProjectCommon : public IProject {
 public:
  ProjectCommon(qint64 id, const QString& name);
  ProjectCommon(const ProjectCommon&) = delete;
  ProjectCommon& operator=(const ProjectCommon&) = delete;

  qint64 getId() override { return id_; }
  BuildTool getBuildType() override { return buildType_; }
  Distribution getDistribution() override { return distribution_; }
  QString getName() override { return name_; }
  QString getProjectFile() override { return projectFile_; }
  QString getDefFile() override { return defFile_; }
  QString getSolutionDir() override { return solutionDir_; }
  QString getComment() override { return comment_; }
  QString getCondition() override { return condition_; }
  QString getFilter() override { return filter_; }
  QString getPlatformToolset() override { return platformToolset_; }
  bool isProcessed() override;
  IPropertiesGetter* getProperties() override { return &properties_; }
  IPropertiesSetter* getPropertiesSetter() override { return &properties_; }
  std::vector<PlatformMapping> getPlatformMappings() override { return platformMappings_; }
  std::vector<FileSetInfo> getOutputs() override { return outputs_; }
  void setBuildType(BuildTool buildType) override { buildType_ = buildType; }
  void setDistribution(Distribution distribution) override { distribution_ = distribution; }
  void setProcessed(bool processed) override;

  int getVersionFileCount() override;
  [[nodiscard]] int getVersionFileAt(int index, VersionFileInfo& info) override;
  [[nodiscard]] int addVersionFile(const VersionFileInfo& info) override;
  int getChildProjectCount() override;
  [[nodiscard]] int getChildProjectAt(int index, ChildProject& child) override;
  [[nodiscard]] int addChildProject(const ChildProject& child) override;
  int getParentProjectCount() override;
  [[nodiscard]] int getParentProjectAt(int index, QString& name) override;
  [[nodiscard]] int addParentProject(const QString& name) override;
  int getAttributeCount() override;
  [[nodiscard]] int getAttributeAt(int index, QString& name, QString& value) override;
  [[nodiscard]] int getAttributeNameAt(int index, QString& name) override;
  [[nodiscard]] int getAttribute(const QString& name, QString& value) override;
  bool hasAttribute(const QString& name) override;

  void setProjectFile(const QString& value) { projectFile_ = value; }
  void setDefFile(const QString& value) { defFile_ = value; }
  void setSolutionDir(const QString& value) { solutionDir_ = value; }
  void setComment(const QString& value) { comment_ = value; }
  void setCondition(const QString& value) { condition_ = value; }
  void setFilter(const QString& value) { filter_ = value; }
  void setPlatformToolset(const QString& value) { platformToolset_ = value; }
  void setPlatformMappings(const std::vector<PlatformMapping>& value) { platformMappings_ = value; }
  void setOutputs(const std::vector<FileSetInfo>& value) { outputs_ = value; }
  void setAttributes(const ProjectAttributes& attributes);

 private:
  const qint64 id_;
  const QString name_;
  QString projectFile_;
  QString defFile_;
  QString solutionDir_;
  QString comment_;
  QString condition_;
  QString filter_;
  QString platformToolset_;
  BuildTool buildType_ = BuildToolUnknown;
  Distribution distribution_ = DistributionProduct;
  QMutex processedMutex_;
  bool processed_ = false;
  PropertiesMgr properties_;
  std::vector<PlatformMapping> platformMappings_;
  std::vector<FileSetInfo> outputs_;
  std::vector<VersionFileInfo> versionFiles_;
  std::vector<QString> parentProjects_;
  std::vector<ChildProject> childProjects_;
  QMutex attributesMutex_;
  ProjectAttributes attributes_;
};
