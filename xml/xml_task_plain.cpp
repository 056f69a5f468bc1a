#include "xml/xml_task_plain.h"

#include "tasks/task_types.h"
#include "tasks/task_echo.h"
#include "tasks/task_exit.h"
#include "tasks/task_expand_sys_var.h"
#include "tasks/task_foreach_break.h"
#include "tasks/task_foreach_continue.h"
#include "tasks/task_get_sys_var.h"
#include "tasks/task_load_properties.h"
#include "tasks/task_messagebox.h"
#include "tasks/task_print_projects.h"
#include "tasks/task_question.h"
#include "tasks/task_set_sys_var.h"
#include "tasks/task_setvar.h"
#include "tasks/task_sound.h"
#include "tasks/task_system.h"

namespace {

const XmlAttributeKey kLibsAttributes[] = {{"name", "projectName"}, {"configuration", "configuration"},
                                           {"platform", "platform"},   {"output", "output"},
                                           {"filesetids", "filesetids"}, {"notrecursively", "notrecursively"}};
const XmlAttributeKey kExitAttributes[] = {{"error", "error"}, {"message", "message"}};
const XmlAttributeKey kLoadPropertiesAttributes[] = {
    {"file", "file"}, {"replace", "replace"}, {"varprefix", "varprefix"}};
const XmlAttributeKey kSetvarAttributes[] = {
    {"name", "varName"}, {"value", "varValue"}, {"asexpression", "asExpression"}};
const XmlAttributeKey kSystemAttributes[] = {{"cmd", "cmd"}, {"exitcodevar", "exitcodevar"}};
const XmlAttributeKey kExpandSysVarAttributes[] = {{"text", "text"}, {"valuevar", "valuevar"}};
const XmlAttributeKey kGetSysVarAttributes[] = {{"name", "name"}, {"valuevar", "valuevar"}, {"system", "system"}};
const XmlAttributeKey kSetSysVarAttributes[] = {{"name", "name"}, {"value", "value"}, {"system", "system"}};
const XmlAttributeKey kEchoAttributes[] = {{"message", "message"}, {"level", "level"}, {"file", "file"}};
const XmlAttributeKey kSoundAttributes[] = {{"type", "type"}, {"file", "file"}};
const XmlAttributeKey kMessageboxAttributes[] = {{"message", "message"}, {"icon", "icon"}};
const XmlAttributeKey kQuestionAttributes[] = {{"message", "message"}};
const XmlAttributeKey kSetProjectVersionAttributes[] = {
    {"projectname", "projectName"}, {"versionid", "versionId"}, {"version", "version"}, {"autostamp", "autoStamp"}};
const XmlAttributeKey kVersionFileReadAttributes[] = {{"file", "file"}, {"valuevar", "valuevar"}};
const XmlAttributeKey kVersionFileWriteAttributes[] = {
    {"file", "file"}, {"value", "version"}, {"autostamp", "autoStamp"}};
const XmlAttributeKey kPrintProjectsAttributes[] = {
    {"showdependence", "showDependence"}, {"details", "details"}, {"file", "file"}};

}  // namespace

void XmlTaskPlain::parseAttributes(QXmlStreamReader& reader) {
  parseCommonAttributes(reader);
  for (std::size_t i = 0; i < count_; ++i)
    readAttributeIntoProperty(reader, QLatin1String(attributes_[i].attribute), attributes_[i].key);
}

int XmlTaskPlain::parse(QXmlStreamReader& reader) {
  parseAttributes(reader);
  reader.skipCurrentElement();
  return 0;
}

XmlTaskExit::XmlTaskExit() : XmlTaskPlain("exit", TaskExit::kType, kExitAttributes) {}
XmlTaskForeachBreak::XmlTaskForeachBreak() : XmlTaskPlain("break", TaskForeachBreak::kType) {}
XmlTaskForeachContinue::XmlTaskForeachContinue() : XmlTaskPlain("continue", TaskForeachContinue::kType) {}
XmlTaskLoadProperties::XmlTaskLoadProperties()
    : XmlTaskPlain("loadproperties", TaskLoadProperties::kType, kLoadPropertiesAttributes) {}
XmlTaskSetvar::XmlTaskSetvar() : XmlTaskPlain("setvar", TaskSetvar::kType, kSetvarAttributes) {}
XmlTaskSystem::XmlTaskSystem() : XmlTaskPlain("system", TaskSystem::kType, kSystemAttributes) {}
XmlTaskExpandSysVar::XmlTaskExpandSysVar()
    : XmlTaskPlain("expandsysvar", TaskExpandSysVar::kType, kExpandSysVarAttributes) {}
XmlTaskGetSysVar::XmlTaskGetSysVar() : XmlTaskPlain("getsysvar", TaskGetSysVar::kType, kGetSysVarAttributes) {}
XmlTaskSetSysVar::XmlTaskSetSysVar() : XmlTaskPlain("setsysvar", TaskSetSysVar::kType, kSetSysVarAttributes) {}
XmlTaskEcho::XmlTaskEcho() : XmlTaskPlain("echo", TaskEcho::kType, kEchoAttributes) {}
XmlTaskSound::XmlTaskSound() : XmlTaskPlain("sound", TaskSound::kType, kSoundAttributes) {}
XmlTaskMessagebox::XmlTaskMessagebox() : XmlTaskPlain("messagebox", TaskMessagebox::kType, kMessageboxAttributes) {}
XmlTaskQuestion::XmlTaskQuestion() : XmlTaskPlain("question", TaskQuestion::kType, kQuestionAttributes) {}
XmlTaskVersionFileRead::XmlTaskVersionFileRead()
    : XmlTaskPlain("versionfileread", task_types::kVersionFileRead, kVersionFileReadAttributes) {}
XmlTaskVersionFileWrite::XmlTaskVersionFileWrite()
    : XmlTaskPlain("versionfilewrite", task_types::kVersionFileWrite, kVersionFileWriteAttributes) {}
XmlTaskPrintProjects::XmlTaskPrintProjects()
    : XmlTaskPlain("printprojects", TaskPrintProjects::kType, kPrintProjectsAttributes) {}
XmlTaskSetProjectVersion::XmlTaskSetProjectVersion()
    : XmlTaskPlain("setprojectversion", task_types::kSetProjectVersion, kSetProjectVersionAttributes) {}
XmlTaskLibs::XmlTaskLibs() : XmlTaskPlain("libs", task_types::kCopyProjectFiles, kLibsAttributes) {}
