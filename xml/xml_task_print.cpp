#include "xml/xml_task_print.h"

#include "tasks/task_print_tasks.h"
#include "tasks/task_print_vars.h"

namespace {
const XmlAttributeKey kPrintVarsAttributes[] = {{"file", "file"}};
}  // namespace

XmlTaskPrintTasks::XmlTaskPrintTasks() : XmlTaskPlain("printtasks", TaskPrintTasks::kType) {}
XmlTaskPrintVars::XmlTaskPrintVars() : XmlTaskPlain("printvars", TaskPrintVars::kType, kPrintVarsAttributes) {}
