#include "xml/xml_task_directories.h"

#include "tasks/task_mkdir.h"
#include "tasks/task_rename.h"
#include "tasks/task_set_curr_dir.h"

namespace {
const XmlAttributeKey kDirAttributes[] = {{"dir", "dir"}};
const XmlAttributeKey kRenameAttributes[] = {{"src", "src"}, {"newname", "newName"}};
}  // namespace

XmlTaskMkdir::XmlTaskMkdir() : XmlTaskPlain("mkdir", TaskMkdir::kType, kDirAttributes) {}
XmlTaskSetCurrDir::XmlTaskSetCurrDir() : XmlTaskPlain("setcurrdir", TaskSetCurrDir::kType, kDirAttributes) {}
XmlTaskRename::XmlTaskRename() : XmlTaskPlain("rename", TaskRename::kType, kRenameAttributes) {}
