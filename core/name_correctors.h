#pragma once

#include "core/file_set_info.h"

#include <QString>

#include <vector>

// The first corrector for the configuration (ignoring case) whose extension list holds
// the extension (a leading "." dropped, ignoring case); an empty extension asks only for
// the configuration. out is written only on success.
bool findNameCorrector(const std::vector<NameCorrector>& correctors, const QString& configuration,
                       const QString& extension, NameCorrector& out);
bool findNameCorrectorByConfiguration(const std::vector<NameCorrector>& correctors,
                                      const QString& configuration, NameCorrector& out);
