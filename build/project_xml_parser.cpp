#include "build/project_xml_parser.h"

#include "build/result_codes.h"
#include "core/logger.h"
#include "core/path_utils.h"
#include "core/text_helpers.h"
#include "xml/xml_element_readers.h"

namespace {

const QLatin1String kTag("ProjectXmlParser");

QString nativePath(QString path) {
  toNativeSeparators(path);
  return path;
}

}  // namespace

ProjectXmlParser::ProjectXmlParser() { setIncludeCallback(this); }

int ProjectXmlParser::includeXml(const QString& callerId, const QString& parentFile, const QString& thisFile,
                                 bool replaceVariables, const QString& variablesPrefix,
                                 const QString& objectPrefix) {
  logIncludeRequest(kTag, callerId, parentFile, thisFile, replaceVariables, variablesPrefix, objectPrefix);
  return build_codes::kOk;
}

int ProjectXmlParser::beginParse() {
  solutions_.clear();
  return build_codes::kOk;
}

int ProjectXmlParser::endParse() { return build_codes::kOk; }

int ProjectXmlParser::parseElement() {
  if (!isElement(QStringLiteral("solutions"))) {
    skipCurrentElement();
    return build_codes::kOk;
  }
  return readChildren(QStringLiteral("solution"), [this] { return parseSolution(); });
}

QString ProjectXmlParser::attribute(const char* name) {
  QString value;
  readAttribute(QLatin1String(name), value);
  return value;
}

int ProjectXmlParser::parseSolution() {
  const QString enable = attribute("enable").trimmed();
  const QString typeText = attribute("type").trimmed();
  const QString buildTypeText = attribute("buildtype").trimmed();
  const QString distributionText = attribute("distribution").trimmed();
  const QString name = attribute("name").trimmed();
  const QString rulesFile = fileName();
  // A dropped solution is named by where it stands.
  const XmlPlace place = placeOf(reader_);

  auto drop = [this] {
    skipCurrentElement();
    return build_codes::kOk;
  };
  if (isFalse(enable)) {
    VLOG_WARNING(kTag) << "Disabled solution. Solution name: '" << name << "'. File: '" << rulesFile << "'";
    return drop();
  }
  const int type = parseProjectType(typeText);
  const int buildType = parseBuildTool(buildTypeText);
  const int distribution = distributionText.isEmpty() ? DistributionProduct : parseDistribution(distributionText);
  if (typeText.isEmpty()) {
    VLOG_WARNING(kTag) << "Undefined solution type. File: '" << rulesFile << "'. " << placeText(place);
    return drop();
  }
  if (name.isEmpty()) {
    VLOG_WARNING(kTag) << "Undefined solution name. File: '" << rulesFile << "'. " << placeText(place);
    return drop();
  }
  if (type == ProjectTypeUnknown) {
    VLOG_WARNING(kTag) << "Invalid solution type. Type: '" << typeText << "'. File: '" << rulesFile << "'. "
                       << placeText(place);
    return drop();
  }
  if (type == ProjectTypeBuild && buildType == BuildToolUnknown) {
    VLOG_WARNING(kTag) << "Invalid project build type. Build type: '" << buildTypeText << "'. File: '" << rulesFile
                       << "'. " << placeText(place);
    return drop();
  }

  SolutionInfo solution;
  solution.type = type;
  solution.buildType = buildType;
  solution.distribution = distribution;
  solution.name = name;
  solution.rulesFile = rulesFile;
  solution.projectFile = nativePath(attribute("projectfile").trimmed());
  QString solutionDir = attribute("solutiondir").trimmed();
  if (solutionDir.isEmpty() || solutionDir == QLatin1String(".")) solutionDir = parentDirOf(rulesFile);
  solution.solutionDir = nativePath(solutionDir);
  solution.condition = attribute("condition").trimmed();
  solution.comment = attribute("comment").trimmed();
  solution.filter = attribute("filter");
  solution.platformToolset = attribute("platformtoolset").trimmed();

  while (!isStopRequested() && readNextStartElement()) {
    if (isElement(QStringLiteral("output")))
      readOutputs(solution);
    else if (isElement(QStringLiteral("versionfiles")))
      readVersionFiles(solution);
    else if (isElement(QStringLiteral("dependencies")))
      readDependences(solution);
    else if (isElement(QStringLiteral("platformmappings")))
      readPlatformMappings(solution);
    else if (isElement(QStringLiteral("attributes")))
      readAttributes(solution);
    else
      skipCurrentElement();
  }
  solutions_.push_back(std::move(solution));
  return build_codes::kOk;
}

void ProjectXmlParser::readOutputs(SolutionInfo& solution) {
  (void)readChildren(QStringLiteral("fileset"), [&] {  // always 0
    FileSetInfo fileSet;
    const int code = parseFileSet(fileSet);
    solution.outputs.push_back(std::move(fileSet));
    return code;
  });
}

void ProjectXmlParser::readVersionFiles(SolutionInfo& solution) {
  (void)readChildren(QStringLiteral("versionfile"), [&] {  // always 0
    VersionFileInfo info{nativePath(attribute("file").trimmed()), attribute("id").trimmed()};
    if (!info.file.isEmpty()) solution.versionFiles.push_back(std::move(info));
    skipCurrentElement();
    return build_codes::kOk;
  });
}

void ProjectXmlParser::readDependences(SolutionInfo& solution) {
  (void)readChildren(QStringLiteral("dependence"), [&] {  // always 0
    DependenceInfo info{attribute("name").trimmed(), attribute("condition").trimmed()};
    if (!info.name.isEmpty()) solution.dependences.push_back(std::move(info));
    skipCurrentElement();
    return build_codes::kOk;
  });
}

void ProjectXmlParser::readPlatformMappings(SolutionInfo& solution) {
  (void)readChildren(QStringLiteral("platformmapping"), [&] {  // always 0
    PlatformMapping mapping{attribute("from").trimmed(), attribute("to").trimmed()};
    if (!mapping.from.isEmpty() || !mapping.to.isEmpty()) solution.platformMappings.push_back(std::move(mapping));
    skipCurrentElement();
    return build_codes::kOk;
  });
}

void ProjectXmlParser::readAttributes(SolutionInfo& solution) {
  (void)readChildren(QStringLiteral("attribute"), [&] {  // always 0
    const QString name = attribute("name").trimmed();
    if (!name.isEmpty()) solution.attributes.emplace(name, attribute("value"));  // the first of a name wins
    skipCurrentElement();
    return build_codes::kOk;
  });
}

int ProjectXmlParser::parseFileSet(FileSetInfo& out) {
  out.nameCorrectors.clear();
  out.includes.clear();
  out.excludes.clear();
  out.id = attribute("id").trimmed();
  out.dir = nativePath(attribute("dir").trimmed());
  out.condition = attribute("condition").trimmed();
  while (readNextStartElement()) {
    if (isElement(QStringLiteral("include"))) {
      out.includes.push_back({attribute("name"), attribute("synonym"), attribute("targetsubdir")});
      skipCurrentElement();
    } else if (isElement(QStringLiteral("namecorrectors"))) {
      (void)readChildren(QStringLiteral("namecorrector"), [&] {  // always 0
        NameCorrector corrector;
        corrector.configuration = attribute("configuration");
        corrector.prefix = attribute("prefix");
        corrector.suffix = attribute("suffix");
        if (!corrector.configuration.isEmpty() && (!corrector.prefix.isEmpty() || !corrector.suffix.isEmpty()))
          out.nameCorrectors.push_back(std::move(corrector));
        skipCurrentElement();
        return build_codes::kOk;
      });
    } else {
      skipCurrentElement();
    }
  }
  return build_codes::kOk;
}
