#include "xml/xml_element_readers.h"

XmlPlace placeOf(const QXmlStreamReader& reader) { return {reader.lineNumber(), reader.columnNumber()}; }

QString placeText(const XmlPlace& place) {
  return QStringLiteral("Line: %1. Column: %2").arg(place.line).arg(place.column);
}

QString filePlaceText(const QString& file, const XmlPlace& place) {
  return QStringLiteral("This XML file: '%1'. %2").arg(file, placeText(place));
}

bool isElementNamed(const QXmlStreamReader& reader, const QString& name) {
  return reader.name().compare(name, Qt::CaseInsensitive) == 0;
}

bool readRawAttribute(const QXmlStreamReader& reader, const QString& name, QString& out) {
  const QXmlStreamAttributes attributes = reader.attributes();
  if (!attributes.hasAttribute(name)) return false;
  out = attributes.value(name).toString();
  return true;
}

int readVars(QXmlStreamReader& reader, XmlVarsMap& map) {
  while (reader.readNextStartElement()) {
    if (!isElementNamed(reader, QStringLiteral("vars"))) {
      reader.skipCurrentElement();
      continue;
    }
    while (reader.readNextStartElement()) {
      if (isElementNamed(reader, QStringLiteral("var"))) {
        QString name, value;
        readRawAttribute(reader, QStringLiteral("name"), name);
        readRawAttribute(reader, QStringLiteral("value"), value);
        name = name.trimmed();
        if (!name.isEmpty()) map.emplace(name, value);
      }
      reader.skipCurrentElement();
    }
  }
  return 0;
}

int readFileSet(QXmlStreamReader& reader, FileSetInfo& set) {
  set = FileSetInfo();
  readRawAttribute(reader, QStringLiteral("dir"), set.dir);
  while (reader.readNextStartElement()) {
    if (isElementNamed(reader, QStringLiteral("include"))) {
      FileSetInclude include;
      readRawAttribute(reader, QStringLiteral("name"), include.name);
      readRawAttribute(reader, QStringLiteral("targetsubdir"), include.targetsubdir);
      set.includes.push_back(include);
    } else if (isElementNamed(reader, QStringLiteral("exclude"))) {
      QString name;
      readRawAttribute(reader, QStringLiteral("name"), name);
      set.excludes.append(name);
    }
    reader.skipCurrentElement();
  }
  return 0;
}
