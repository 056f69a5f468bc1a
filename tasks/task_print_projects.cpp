#include "tasks/task_print_projects.h"

#include "core/logger.h"
#include "core/text_helpers.h"
#include "project/iprojects_provider.h"
#include "tasks/print_listing.h"
#include "tasks/result_codes.h"
#include "tasks/task_texts.h"

namespace {

const QLatin1String kName("PrintProjects");
const QLatin1String kShowDependence("showDependence");
const QLatin1String kDetails("details");
const QLatin1String kRule("--------------------------------------------------------\n");
constexpr int kLabelWidth = 21;

// One "label value" line of the details.
void detail(QString& out, const char* label, const QString& value) {
  out += QString::fromLatin1(label).leftJustified(kLabelWidth);
  out += QLatin1Char(' ');
  out += value;
  out += QLatin1Char('\n');
}

// A heading and its entries, each indented by one unit; nothing without entries.
void section(QString& out, const char* heading, const QStringList& entries) {
  if (entries.isEmpty()) return;
  out += QLatin1String(heading);
  for (const QString& entry : entries) out += indentUnit() + entry + QLatin1Char('\n');
}

QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

QString childLine(const ChildProject& child) {
  return child.condition.isEmpty() ? child.name : child.name + QLatin1String(" Condition: ") + quoted(child.condition);
}

QStringList childLines(IProject* project) {
  QStringList lines;
  const int count = project->getChildProjectCount();
  for (int i = 0; i < count; ++i) {
    ChildProject child;
    if (project->getChildProjectAt(i, child) == 0) lines << childLine(child);
  }
  return lines;
}

// A file set's entry and, below it, its correctors, includes and excludes.
QString fileSetEntry(const FileSetInfo& set) {
  const QString inner = QLatin1Char('\n') + indent(2);
  QString entry = QLatin1String("Directory: ") + quoted(set.dir) + QLatin1String(", ID: ") + quoted(set.id) +
                  QLatin1String(", condition: ") + quoted(set.condition);
  if (!set.nameCorrectors.empty()) {
    entry += QLatin1Char('\n') + indentUnit() + QLatin1String("Correctors:");
    for (const NameCorrector& c : set.nameCorrectors)
      entry += inner + QLatin1String("Configuration: ") + quoted(c.configuration) + QLatin1String(", prefix: ") +
               quoted(c.prefix) + QLatin1String(", suffix: ") + quoted(c.suffix) + QLatin1String(", file ext: ") +
               quoted(c.extensions);
  }
  if (!set.includes.empty()) {
    entry += QLatin1Char('\n') + indentUnit() + QLatin1String("Includes:");
    for (const FileSetInclude& include : set.includes)
      entry += inner + quoted(include.name) + QLatin1String(", subdirectory: ") + quoted(include.targetsubdir);
  }
  if (!set.excludes.isEmpty()) {
    entry += QLatin1Char('\n') + indentUnit() + QLatin1String("Excludes:");
    for (const QString& pattern : set.excludes) entry += inner + quoted(pattern);
  }
  return entry;
}

void appendDetails(QString& out, IProject* project) {
  out += kRule;
  detail(out, "Project name:", project->getName());
  detail(out, "Project type:", projectTypeName(project->getType()));
  if (project->getType() == ProjectTypeBuild) detail(out, "Build type:", buildToolName(project->getBuildType()));
  detail(out, "Distribution type:", distributionName(project->getDistribution()));
  detail(out, "Project file:", project->getProjectFile());
  detail(out, "Definition file:", project->getDefFile());
  detail(out, "Solution directory:", project->getSolutionDir());
  detail(out, "Filter:", project->getFilter());
  detail(out, "Comment:", project->getComment());
  detail(out, "Condition:", project->getCondition());
  detail(out, "Is processed:", project->isProcessed() ? QStringLiteral("1") : QStringLiteral("0"));
  detail(out, "ID:", QString::number(project->getId()));
  detail(out, "Platform toolset:", project->getPlatformToolset());

  QStringList entries;
  const int attributeCount = project->getAttributeCount();
  for (int i = 0; i < attributeCount; ++i) {
    QString name, value;
    if (project->getAttributeAt(i, name, value) == 0) entries << name + QLatin1Char('=') + quoted(value);
  }
  section(out, "Project attributes: \n", entries);

  entries.clear();
  if (IPropertiesGetter* properties = project->getProperties()) {
    const int count = properties->count();
    for (int i = 0; i < count; ++i) {
      QString name, value;
      std::uint32_t type = 0;
      if (properties->getPropertyByIndex(i, name, type) == 0 && properties->getString(name, value) == 0)
        entries << name + QLatin1Char('=') + quoted(value);
    }
  }
  section(out, "Project properties: \n", entries);

  entries.clear();
  const int versionFileCount = project->getVersionFileCount();
  for (int i = 0; i < versionFileCount; ++i) {
    VersionFileInfo info;
    if (project->getVersionFileAt(i, info) == 0)
      entries << QLatin1String("File: ") + quoted(info.file) + QLatin1String(", ID: ") + quoted(info.id);
  }
  section(out, "Version files:\n", entries);

  section(out, "Child projects:\n", childLines(project));

  entries.clear();
  const int parentCount = project->getParentProjectCount();
  for (int i = 0; i < parentCount; ++i) {
    QString name;
    if (project->getParentProjectAt(i, name) == 0) entries << name;
  }
  section(out, "Parent projects:\n", entries);

  entries.clear();
  for (const PlatformMapping& mapping : project->getPlatformMappings())
    entries << quoted(mapping.from) + QLatin1String(" -> ") + quoted(mapping.to);
  section(out, "Platform mappings:\n", entries);

  entries.clear();
  for (const FileSetInfo& set : project->getOutputs()) entries << fileSetEntry(set);
  section(out, "Output files:\n", entries);
}

}  // namespace

TaskPrintProjects::TaskPrintProjects(std::uint64_t id, ITask* parent) : TaskProject(id, kName, parent) {}

TaskPrintProjects::~TaskPrintProjects() { markInterrupted(); }

int TaskPrintProjects::start(IVariablesExpander* expander, IVariablesGetter*, IVariablesSetter* setter,
                             IConditionHandler*, INotifications*) {
  const QString resultVar = getResultVarExpanded(expander);
  const bool failOnError = isFailOnError(expander);
  if (!getProjectsProvider()) return finishStart(task_codes::kNoProjectsProvider, setter, resultVar, failOnError);
  const bool showDependence = isTrue(expandedTrimmed(expander, propertyText(kShowDependence)));
  const bool details = isTrue(expandedTrimmed(expander, propertyText(kDetails)));
  const QString file = expandedTrimmed(expander, propertyText(task_texts::kFile));
  printListing(getName(), getId(), file, listing(details, showDependence));
  return finishStart(task_codes::kOk, setter, resultVar, failOnError);
}

QString TaskPrintProjects::listing(bool details, bool showDependence) {
  QString out = QStringLiteral("Projects list:\n\n");
  IProjectsProvider* projects = getProjectsProvider();
  const int count = projects ? projects->count() : 0;
  for (int i = 0; i < count; ++i) {
    IProject* project = projects->getProjectAt(i);
    if (!project) continue;
    if (details) {
      appendDetails(out, project);
      continue;
    }
    out += project->getName() + QLatin1Char('\n');
    if (!showDependence) continue;
    for (const QString& line : childLines(project)) out += indentUnit() + line + QLatin1Char('\n');
  }
  out += QLatin1Char('\n');
  return out;
}
