// The job-file reader: the input is a job file, read by the job reader with the real
// element table and task factory wired as the driver wires them. Its includes and
// property-file loads may name any file; its tasks are built, not run.

#include "fuzz/bounded_references.h"
#include "fuzz/fuzz_target.h"

#include "core/variables_mgr.h"
#include "intr/item_id_provider.h"
#include "project/iprojects_provider.h"
#include "tasks/macrodef.h"
#include "tasks/task.h"
#include "tasks/task_callbacks.h"
#include "tasks/task_factory_impl.h"
#include "xml/job_xml_parser.h"
#include "xml/xml_task_factory.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

template <typename T>
void removeOwned(std::vector<std::shared_ptr<T>>& owners, const T* item) {
  owners.erase(std::remove_if(owners.begin(), owners.end(),
                              [item](const std::shared_ptr<T>& owner) { return owner.get() == item; }),
               owners.end());
}

// What the driver is to the reader: the holder of root tasks and macros, the macro
// lookup and the parser factory; it has no projects and ignores notifications.
class Driver : public ITaskHolder,
               public IXmlTaskParserFactory,
               public IProjectsProvider,
               public IMacrodefProvider,
               public ITaskProjectPreprocessor,
               public INotifications {
 public:
  Driver() {
    globals_.setRefuseSelfReference(true);
    tasks_.setIdProvider(&taskIds_);
    elements_.setTaskFactory(&tasks_);
    elements_.setVariablesGetter(&globals_);
    elements_.setVariablesSetter(&globals_);
    elements_.setProjectsProvider(this);
    elements_.setMacrodefProvider(this);
    elements_.setNotifications(this);
    elements_.setProjectPreprocessor(this);
    reader_.setVariablesGetter(&globals_);
    reader_.setVariablesSetter(&globals_);
    reader_.setProjectsProvider(this);
    reader_.setMacrodefProvider(this);
    reader_.setTaskParserFactory(this);
    reader_.setTaskFactory(&tasks_);
    reader_.setTaskHolder(this);
  }

  void read(const QString& path) {
    (void)reader_.parseFile(path, true, QString(), QString());  // any code is an outcome
    reader_.stop();
  }

  int addTask(ITask* task) override {
    if (task) rootTasks_.push_back(shareTask(task));
    return 0;
  }
  int removeTask(ITask* task) override {
    removeOwned(rootTasks_, task);
    return 0;
  }
  int addMacrodef(IMacrodef* macrodef) override {
    if (macrodef) macrodefs_.emplace_back(macrodef);
    return 0;
  }
  int removeMacrodef(IMacrodef* macrodef) override {
    removeOwned(macrodefs_, macrodef);
    return 0;
  }

  int createParser(const QString& elementName, XmlTaskParser** out) override {
    return elements_.createParser(elementName, out);
  }

  bool exists(const QString&) override { return false; }
  IProject* getProject(const QString&) override { return nullptr; }
  int count() override { return 0; }
  IProject* getProjectAt(int) override { return nullptr; }

  bool contains(const QString& name) override { return find(name) != nullptr; }
  IMacrodef* find(const QString& name) override {
    for (const auto& m : macrodefs_)
      if (m->getName().compare(name, Qt::CaseInsensitive) == 0) return m.get();
    return nullptr;
  }

  int prepareProjectTask(const QString&, ITask*) override { return 0; }
  int sendMessage(int, const QString&) override { return 0; }

 private:
  VariablesMgr globals_;
  ItemIdProviderImpl taskIds_;
  TaskFactoryImpl tasks_;
  XmlTaskFactory elements_;
  JobXmlParser reader_;
  std::vector<std::shared_ptr<ITask>> rootTasks_;
  std::vector<std::shared_ptr<IMacrodef>> macrodefs_;
};

}  // namespace

VARKEL_FUZZ_TARGET(job_file) {
  const QByteArray input = fuzz::withBoundedXmlReferences(fuzz::bytes(data, size));
  const QString path = fuzz::writeInput(QStringLiteral("job.xml"), input);
  if (path.isEmpty()) return;
  Driver driver;
  driver.read(path);
}
