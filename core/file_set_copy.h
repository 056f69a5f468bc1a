#pragma once

#include "core/file_set_info.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <vector>

class IConditionHandler;
class IVariablesExpander;

// File-set id -> ","-separated subdirectories of the target that the set goes to;
// ids are looked up exactly.
using FileSetSubdirs = std::map<QString, QString>;

// Copies every set whose condition holds into targetDir, once per subdirectory mapped
// to its id ("." when none, in ascending order): a file include copies one file (the
// synonym and the configuration's name corrector give its name), a "*" include the set's
// whole directory. Relative sources and targets are taken against baseDir. Stops at the
// first failure: 304 for an empty target, 338 for a missing source file, 74 for a failed
// copy, the handler's code for a condition it could not compute, or copyDirectory's code.
// A set stop flag ends it between two files with 30.
[[nodiscard]] int copyFiles(const std::vector<FileSetInfo>& fileSets, const QString& targetDir, const QString& baseDir,
                            const QString& configuration, IVariablesExpander* expander, IConditionHandler* handler,
                            const FileSetSubdirs& subdirs, const std::atomic<bool>* stop = nullptr);

// Copies the tree below sourceDir into targetDir, without dot-files and the files whose
// absolute path matches an exclude; a file with a suffix is renamed by the configuration's
// corrector for that suffix. A link is copied as the link. A failed file does not stop
// the walk of its directory, which then gives 74. 337 for an empty source, 304 for an
// empty target, 30 when the stop flag is set between two files.
[[nodiscard]] int copyDirectory(const QString& sourceDir, const QStringList& excludes, const QString& targetDir,
                                const std::vector<NameCorrector>& correctors, const QString& configuration,
                                const std::atomic<bool>* stop = nullptr);
