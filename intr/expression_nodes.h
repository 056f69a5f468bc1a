#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace intr {

class IFunctionsProvider;

enum BinaryOperation : std::uint32_t {
  OpEqual = 1,
  OpNotEqual = 2,
  OpLess = 3,
  OpEqualOrLess = 4,
  OpGreat = 5,
  OpEqualOrGreat = 6,
  OpOr = 7,
  OpAnd = 8,
};

enum UnaryOperation : std::uint32_t {
  OpNot = 1,
};

QString binaryOperationName(std::uint32_t operation);
QString unaryOperationName(std::uint32_t operation);

// A node of a parsed condition. Every value is text.
class ITask {
 public:
  enum Kind : std::uint32_t { KindVariable = 1, KindFunction = 2, KindBinary = 3, KindUnary = 4 };

  virtual ~ITask() = default;
  virtual std::int64_t id() const = 0;
  virtual std::uint32_t kind() const = 0;
  virtual QString describe() const = 0;
  virtual ITask* parent() const = 0;
  virtual void setParent(ITask* parent) = 0;
  virtual int childCount() const = 0;
  [[nodiscard]] virtual int child(int index, ITask** out) const = 0;
  virtual void addChild(ITask* node) = 0;
  // 0 with the value in *result; on a code *result is left as it was.
  [[nodiscard]] virtual int execute(QString* result) = 0;
};

// Owns its children: deleting the root deletes the tree.
class TaskCommon : public ITask {
 public:
  TaskCommon(std::int64_t id, std::uint32_t kind) : id_(id), kind_(kind) {}
  TaskCommon(const TaskCommon&) = delete;
  TaskCommon& operator=(const TaskCommon&) = delete;

  std::int64_t id() const override { return id_; }
  std::uint32_t kind() const override { return kind_; }
  ITask* parent() const override { return parent_; }
  void setParent(ITask* parent) override { parent_ = parent; }
  int childCount() const override { return static_cast<int>(children_.size()); }
  [[nodiscard]] int child(int index, ITask** out) const override;
  void addChild(ITask* node) override;

 private:
  std::int64_t id_;
  std::uint32_t kind_;
  ITask* parent_ = nullptr;
  std::vector<std::unique_ptr<ITask>> children_;
};

class TaskVariable : public TaskCommon {
 public:
  TaskVariable(std::int64_t id, const QString& text) : TaskCommon(id, KindVariable), text_(text) {}
  QString text() const { return text_; }
  QString describe() const override;
  [[nodiscard]] int execute(QString* result) override;

 private:
  QString text_;  // as written, apostrophes included
};

class TaskFunction : public TaskCommon {
 public:
  TaskFunction(std::int64_t id, const QString& name) : TaskCommon(id, KindFunction), name_(name) {}
  QString name() const { return name_; }
  void setFunctionsProvider(IFunctionsProvider* provider) { functions_ = provider; }
  QString describe() const override;
  [[nodiscard]] int execute(QString* result) override;

 private:
  QString name_;
  IFunctionsProvider* functions_ = nullptr;
};

class TaskBinOperation : public TaskCommon {
 public:
  TaskBinOperation(std::int64_t id, std::uint32_t operation)
      : TaskCommon(id, KindBinary), operation_(operation) {}
  std::uint32_t operation() const { return operation_; }
  QString describe() const override;
  [[nodiscard]] int execute(QString* result) override;

 private:
  std::uint32_t operation_;
};

class TaskUnOperation : public TaskCommon {
 public:
  TaskUnOperation(std::int64_t id, std::uint32_t operation)
      : TaskCommon(id, KindUnary), operation_(operation) {}
  std::uint32_t operation() const { return operation_; }
  QString describe() const override;
  [[nodiscard]] int execute(QString* result) override;

 private:
  std::uint32_t operation_;
};

}  // namespace intr
