#pragma once

#include <QLatin1String>

// The task engine's own names: task names (also log tags), property keys and the
// loop messages. Shared by the task classes, the runner and the factory.
namespace task_texts {

// Task names.
inline const QLatin1String kForeach("Foreach");
inline const QLatin1String kForeachBreak("ForeachBreak");
inline const QLatin1String kForeachContinue("ForeachContinue");
inline const QLatin1String kExit("Exit");
inline const QLatin1String kSetVar("SetVar");
inline const QLatin1String kLoadProperties("LoadProperties");
// The log tag of a macro call and of the runner inside it.
inline const QLatin1String kMacrodef("Macrodef");

// Property keys of project tasks.
inline const QLatin1String kProjectName("projectName");
inline const QLatin1String kCurrentProjectName("currentProjectName");
inline const QLatin1String kOutput("output");
inline const QLatin1String kPreferOutSubDir("preferOutSubDir");
inline const QLatin1String kConfiguration("configuration");
inline const QLatin1String kTarget("target");
inline const QLatin1String kPlatform("platform");
inline const QLatin1String kFileSetIds("filesetids");
inline const QLatin1String kNotRecursively("notrecursively");
inline const QLatin1String kRootDir("rootdir");
inline const QLatin1String kProjectFile("projectFile");
inline const QLatin1String kMsbuildPath("msbuildPath");

// Common attributes.
inline const QLatin1String kComment("comment");
inline const QLatin1String kCondition("condition");
inline const QLatin1String kDepends("depends");
inline const QLatin1String kFailOnError("failonerror");
inline const QLatin1String kResultVar("resultvar");

// Loop, exit and variable task attributes.
inline const QLatin1String kItem("item");
inline const QLatin1String kIn("in");
inline const QLatin1String kError("error");
inline const QLatin1String kMessage("message");
inline const QLatin1String kVarName("varName");
inline const QLatin1String kVarValue("varValue");
inline const QLatin1String kAsExpression("asExpression");
inline const QLatin1String kFile("file");
inline const QLatin1String kReplace("replace");
inline const QLatin1String kVarPrefix("varprefix");

// File and text-file task attributes ("file" is above), shared with their element parsers.
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

// The messages that break and continue send to their loop.
inline const QLatin1String kBreakMessage("{ADC65AE6-8277-4019-9AB6-429CB0AC5C37}");
inline const QLatin1String kContinueMessage("{5B0C5C31-0728-402A-8CA2-C2E19CDA14A1}");

}  // namespace task_texts
