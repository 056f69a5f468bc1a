#include "intr/func_common.h"

#include "core/text_helpers.h"
#include "core/variables_expander.h"

namespace intr {

QString FuncCommon::trimmedArgument(const QString& arg) const {
  QString text = arg.trimmed();
  if (expander_) expander_->expand(text);
  return text;
}

QString FuncCommon::argument(const QString& arg) const {
  QString text = trimmedArgument(arg);
  stripQuotes(text, true);
  return text;
}

}  // namespace intr
