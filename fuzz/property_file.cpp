// The property-file reader: the input is a file of "name=value" lines, loaded into a
// store that already holds a read-only name, once as it is and once under a prefix.

#include "fuzz/bounded_references.h"
#include "fuzz/fuzz_target.h"

#include "core/properties_file.h"
#include "core/variables_mgr.h"

VARKEL_FUZZ_TARGET(property_file) {
  const QByteArray input = fuzz::withBoundedReferences(fuzz::bytes(data, size));
  const QString path = fuzz::writeInput(QStringLiteral("fuzz.properties"), input);
  if (path.isEmpty()) return;
  VariablesMgr target;
  VariableFlags readOnly;
  readOnly.readOnly = true;
  (void)target.set(QStringLiteral("fixed"), QStringLiteral("kept"), readOnly);  // fixed: cannot fail
  PropertiesFile reader;
  (void)reader.load(path, &target, &target, true, QString());  // any code is an outcome
  (void)reader.load(path, &target, &target, false, QStringLiteral("p."));  // any code is an outcome
}
