#pragma once

#include <QString>

#include <cstdint>

// Receives what a walk finds. A non-zero answer ends the whole walk with that code.
class IFileEnumCallback {
 public:
  virtual ~IFileEnumCallback() = default;
  [[nodiscard]] virtual int directoryFound(std::uint32_t taskId, const QString& path) = 0;
  // path is absolute.
  [[nodiscard]] virtual int fileFound(std::uint32_t taskId, const QString& path) = 0;
};
