#include "intr/item_id_provider.h"

#include <QMutexLocker>

std::int64_t ItemIdProviderImpl::currentId() {
  QMutexLocker lock(&mutex_);
  return counter_;
}

std::int64_t ItemIdProviderImpl::nextId() {
  QMutexLocker lock(&mutex_);
  return ++counter_;
}
