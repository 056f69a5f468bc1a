// The property-file reader: the input is a file of "name=value" lines, loaded into a
// store that already holds a read-only name, once as it is and once under a prefix.

#include "fuzz/fuzz_target.h"

#include "core/properties_file.h"
#include "core/variables_mgr.h"

namespace {

// An input is cut before its 17th reference. With more, lines that repeat the line
// before multiply into millions of characters, and a run spends its time copying them
// into fresh memory instead of exploring the reader; texts at the length limit and
// stores at their bound have tests of their own (tests/data/hostile).
constexpr int kMaxReferences = 16;

QByteArray withBoundedReferences(const QByteArray& input) {
  int at = -1;
  for (int count = 0; count <= kMaxReferences; ++count) {
    at = input.indexOf("${", at + 1);
    if (at < 0) return input;
  }
  return input.left(at);
}

}  // namespace

VARKEL_FUZZ_TARGET(property_file) {
  const QByteArray input = withBoundedReferences(fuzz::bytes(data, size));
  const QString path = fuzz::writeInput(QStringLiteral("fuzz.properties"),
                                        reinterpret_cast<const std::uint8_t*>(input.constData()), input.size());
  if (path.isEmpty()) return;
  VariablesMgr target;
  VariableFlags readOnly;
  readOnly.readOnly = true;
  (void)target.set(QStringLiteral("fixed"), QStringLiteral("kept"), readOnly);  // fixed: cannot fail
  PropertiesFile reader;
  (void)reader.load(path, &target, &target, true, QString());  // any code is an outcome
  (void)reader.load(path, &target, &target, false, QStringLiteral("p."));  // any code is an outcome
}
