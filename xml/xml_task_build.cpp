#include "xml/xml_task_build.h"

#include "tasks/task_types.h"
#include "tasks/task_project.h"

namespace {

const XmlAttributeKey kAttributes[] = {
    {"name", "projectName"},
    {"configuration", "configuration"},
    {"target", "target"},
    {"platform", "platform"},
    {"platformtoolset", "platformToolset"},
    {"output", "output"},
    {"outputbuilddir", "outputbuilddir"},
    {"skipbuild", "skipBuild"},
    {"extraparam", "extraparam"},
};

}  // namespace

XmlTaskBuild::XmlTaskBuild() : XmlTaskPlain("build", task_types::kBuild, kAttributes) {}

int XmlTaskBuild::parse(QXmlStreamReader& reader) {
  parseAttributes(reader);
  vars_.clear();
  return readVars(reader, vars_);
}

int XmlTaskBuild::createTask(ITask* parent, ITask** out) {
  const int code = XmlTaskParser::createTask(parent, out);
  if (code != 0) return code;
  if (auto* task = dynamic_cast<TaskProject*>(*out)) {
    TaskEnvironment environment;
    for (const auto& entry : vars_) environment.insert(entry.first, entry.second);
    task->setEnvironment(environment);
  }
  return 0;
}
