#pragma once

#include "tasks/macrodef.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class MacrodefImpl : public IMacrodef {
 public:
  explicit MacrodefImpl(const QString& name) : name_(name) {}

  std::uint64_t getId() const override { return id_; }
  QString getName() const override { return name_; }
  QString getText() const override { return text_; }
  bool getFlag() const override;

  void setId(std::uint64_t id) override { id_ = id; }
  void setText(const QString& text) override { text_ = text; }
  void setFlag(bool flag) override;

  int getAttributeCount() const override;
  [[nodiscard]] int getAttribute(int index, QString& name) const override;
  // A name equal to a declared one, ignoring case, is not added again.
  [[nodiscard]] int addAttribute(const QString& name) override;

  int getTaskCount() const override;
  [[nodiscard]] int getTask(int index, ITask** out) const override;
  [[nodiscard]] int addTask(ITask* task) override;

 private:
  std::uint64_t id_ = 0;
  QString name_;
  QString text_;
  mutable QMutex flagMutex_;
  bool flag_ = true;
  mutable QMutex attributesMutex_;
  QStringList attributes_;
  mutable QMutex tasksMutex_;
  std::vector<std::shared_ptr<ITask>> tasks_;
};
