#pragma once

#include "build/version_block.h"

#include <QString>

// The version of a .NET assembly-information file: its AssemblyVersion and
// AssemblyFileVersion attribute blocks.
class NetVersionFileParser {
 public:
  // Both values, each empty when its block is missing; 0, or 20 when the file
  // cannot be read.
  [[nodiscard]] int readVersion(const QString& path, QString& assemblyVersion, QString& fileVersion);
  // Rewrites each of the two blocks whole with version and keeps every other byte;
  // a missing block is not added. 0, or 20 when it cannot be read or replaced.
  [[nodiscard]] int writeVersion(const QString& path, const QString& version);

  // The first block of each kind outside comments; a block may fill both. Blocks
  // passed in unset; always 0.
  [[nodiscard]] static int parse(const QString& text, VersionBlock& assemblyBlock, VersionBlock& fileBlock);

  QString fileName() const { return fileName_; }

 private:
  QString fileName_;
};
