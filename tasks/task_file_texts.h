#pragma once

#include <QLatin1String>

// Property keys of the file and text-file tasks, shared with their element parsers.
namespace task_file_texts {

inline const QLatin1String kFile("file");
inline const QLatin1String kToFile("toFile");
inline const QLatin1String kToDir("toDir");
inline const QLatin1String kOverwrite("overwrite");
inline const QLatin1String kForce("force");
inline const QLatin1String kVerbose("verbose");
inline const QLatin1String kDir("dir");
inline const QLatin1String kSrc("src");
inline const QLatin1String kNewName("newName");
inline const QLatin1String kOpenExisting("openExisting");
inline const QLatin1String kText("text");
inline const QLatin1String kCaseInsensitive("caseinsensitive");
inline const QLatin1String kAsRegExp("asregexp");
inline const QLatin1String kValueVar("valuevar");
inline const QLatin1String kTruncate("truncate");
inline const QLatin1String kCreateNew("createNew");

}  // namespace task_file_texts
