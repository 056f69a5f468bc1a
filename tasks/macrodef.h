#pragma once

#include <QString>

#include <cstdint>

class ITask;

// A user macro: a name, declared attribute names and the tasks every call runs.
class IMacrodef {
 public:
  virtual ~IMacrodef() = default;

  virtual std::uint64_t getId() const = 0;
  virtual QString getName() const = 0;
  virtual QString getText() const = 0;
  virtual bool getFlag() const = 0;

  virtual void setId(std::uint64_t id) = 0;
  virtual void setText(const QString& text) = 0;
  virtual void setFlag(bool flag) = 0;

  virtual int getAttributeCount() const = 0;
  [[nodiscard]] virtual int getAttribute(int index, QString& name) const = 0;
  [[nodiscard]] virtual int addAttribute(const QString& name) = 0;

  virtual int getTaskCount() const = 0;
  [[nodiscard]] virtual int getTask(int index, ITask** out) const = 0;
  [[nodiscard]] virtual int addTask(ITask* task) = 0;
};
