#include "xml/xml_task_text_files.h"

#include "tasks/task_find_in_file.h"
#include "tasks/task_texts.h"
#include "tasks/task_write_file.h"
#include "xml/xml_element_readers.h"

#include <vector>

namespace {

const XmlAttributeKey kFindInFileAttributes[] = {
    {"file", "file"},       {"openexisting", "openExisting"}, {"text", "text"},
    {"caseinsensitive", "caseinsensitive"}, {"asregexp", "asregexp"}, {"valuevar", "valuevar"}};
const XmlAttributeKey kWriteFileAttributes[] = {
    {"file", "file"}, {"openexisting", "openExisting"}, {"truncate", "truncate"}, {"createnew", "createNew"}};

}  // namespace

XmlTaskFindInFile::XmlTaskFindInFile() : XmlTaskPlain("findinfile", TaskFindInFile::kType, kFindInFileAttributes) {}

XmlTaskWriteFile::XmlTaskWriteFile() : XmlTaskPlain("writefile", TaskWriteFile::kType, kWriteFileAttributes) {}

int XmlTaskWriteFile::parse(QXmlStreamReader& reader) {
  parseAttributes(reader);
  std::vector<QString> items;
  const QString textElement = QStringLiteral("text");
  while (reader.readNextStartElement()) {
    if (!isElementNamed(reader, textElement)) {
      reader.skipCurrentElement();
      continue;
    }
    // An element inside "text" is a reading error that ends the file's reading.
    const QString text = reader.readElementText();
    if (!text.isEmpty()) items.push_back(text);
  }
  (void)properties().setStringList(task_texts::kText, items);  // cannot-fail
  return 0;
}
