#pragma once

#include "core/case_blind_less.h"
#include "core/file_set_info.h"

#include <QString>
#include <QXmlStreamReader>

#include <map>

// Readers over the element the stream stands on, shared by the task-element parsers.
// Element names compare without regard to case, attribute names exactly.

// Names that differ only in case are one entry; the first one read wins.
using XmlVarsMap = std::map<QString, QString, CaseBlindLess>;

bool isElementNamed(const QXmlStreamReader& reader, const QString& name);
// The value as written; out is left alone when the attribute is absent.
bool readRawAttribute(const QXmlStreamReader& reader, const QString& name, QString& out);
// Every "vars/var" child of the current element, read to the element's end.
[[nodiscard]] int readVars(QXmlStreamReader& reader, XmlVarsMap& map);
// One "fileset" element, read to its end.
[[nodiscard]] int readFileSet(QXmlStreamReader& reader, FileSetInfo& set);
