// The 'build rules' scan: the input is a varkel.xml, walked and read by the driver's own
// scan into its project table, which is then listed in full and asked for every project.
// Its targets may name any path.

#include "fuzz/bounded_references.h"
#include "fuzz/fuzz_target.h"

#include "manager/build_manager.h"
#include "tasks/task_print_projects.h"

VARKEL_FUZZ_TARGET(build_rules) {
  const QByteArray input = fuzz::withBoundedXmlReferences(fuzz::bytes(data, size));
  const QString path = fuzz::writeInput(QStringLiteral("varkel.xml"), input);
  if (path.isEmpty()) return;
  QByteArray manifest = path.toUtf8();
  char program[] = "varkel";
  char option[] = "-pmanifest";
  char* argv[] = {program, option, manifest.data()};
  BuildManager manager;
  if (manager.parseCommandLine(3, argv) != 0) return;
  (void)manager.scan();  // any code is an outcome

  TaskPrintProjects print(1, nullptr);
  print.setProjectsProvider(&manager);
  (void)print.listing(true, true);  // the text is not judged
  QString names;
  (void)manager.calculate(QStringLiteral("GetAllProjects()"), names);  // any code is an outcome
  for (int i = 0; i < manager.count(); ++i) {
    if (IProject* project = manager.getProjectAt(i)) (void)manager.findParentProjects(project->getName());  // read only
  }
}
