#pragma once

#include "core/case_blind_less.h"
#include "core/file_set_info.h"

#include <QString>
#include <QXmlStreamReader>

#include <map>

// Readers over the element the stream stands on, shared by the task-element parsers.
// Element names compare without regard to case, attribute names exactly.

// Where the current element stands, for messages: its line, and the column at which its
// start tag ends (the reader has read up to there).
struct XmlPlace {
  qint64 line = 0;
  qint64 column = 0;
};
XmlPlace placeOf(const QXmlStreamReader& reader);
// "Line: <line>. Column: <column>", after a text that names the file.
QString placeText(const XmlPlace& place);
// "This XML file: '<file>'. Line: <line>. Column: <column>".
QString filePlaceText(const QString& file, const XmlPlace& place);

// Names that differ only in case are one entry; the first one read wins.
using XmlVarsMap = std::map<QString, QString, CaseBlindLess>;

bool isElementNamed(const QXmlStreamReader& reader, const QString& name);
// The value as written; out is left alone when the attribute is absent.
bool readRawAttribute(const QXmlStreamReader& reader, const QString& name, QString& out);
// Every "vars/var" child of the current element, read to the element's end.
[[nodiscard]] int readVars(QXmlStreamReader& reader, XmlVarsMap& map);
// One "fileset" element, read to its end.
[[nodiscard]] int readFileSet(QXmlStreamReader& reader, FileSetInfo& set);
