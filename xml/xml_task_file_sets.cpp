#include "xml/xml_task_file_sets.h"

#include "tasks/task_copy_files.h"
#include "tasks/task_delete.h"
#include "tasks/task_move.h"
#include "xml/xml_element_readers.h"

namespace {

const XmlAttributeKey kCopyAttributes[] = {{"file", "file"},         {"tofile", "toFile"}, {"todir", "toDir"},
                                           {"overwrite", "overwrite"}, {"force", "force"},   {"verbose", "verbose"}};
const XmlAttributeKey kDeleteAttributes[] = {{"file", "file"}, {"dir", "dir"}, {"verbose", "verbose"}};

}  // namespace

int XmlTaskFileSets::parse(QXmlStreamReader& reader) {
  parseAttributes(reader);
  fileSets_.clear();
  const QString fileSetElement = QStringLiteral("fileset");
  while (reader.readNextStartElement()) {
    if (!isElementNamed(reader, fileSetElement)) {
      reader.skipCurrentElement();
      continue;
    }
    FileSetInfo set;
    (void)readFileSet(reader, set);  // always 0
    fileSets_.push_back(std::move(set));
  }
  return 0;
}

int XmlTaskFileSets::createTask(ITask* parent, ITask** out) {
  if (!out) return kNoOutPointer;
  ITask* task = nullptr;
  const int code = XmlTaskParser::createTask(parent, &task);
  if (code != 0) return code;
  if (auto* holder = dynamic_cast<TaskWithFileSets*>(task)) holder->setFileSets(fileSets_);
  *out = task;
  return 0;
}

XmlTaskCopy::XmlTaskCopy() : XmlTaskFileSets("copy", TaskCopyFiles::kType, kCopyAttributes) {}
XmlTaskMove::XmlTaskMove() : XmlTaskFileSets("move", TaskMove::kType, kCopyAttributes) {}
XmlTaskDelete::XmlTaskDelete() : XmlTaskFileSets("delete", TaskDelete::kType, kDeleteAttributes) {}
