#pragma once

#include <QMutex>

#include <cstdint>

// Hands out 64-bit ids: expression nodes, tasks, macro definitions, projects.
class IItemIdProvider {
 public:
  virtual ~IItemIdProvider() = default;
  virtual std::int64_t currentId() = 0;
  virtual std::int64_t nextId() = 0;
};

// Starts at 0, so the first id given is 1.
class ItemIdProviderImpl : public IItemIdProvider {
 public:
  std::int64_t currentId() override;
  std::int64_t nextId() override;

 private:
  QMutex mutex_;
  std::int64_t counter_ = 0;
};
