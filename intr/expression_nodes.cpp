#include "intr/expression_nodes.h"

#include "core/text_helpers.h"
#include "intr/function.h"
#include "intr/result_codes.h"

#include <algorithm>
#include <cmath>

namespace intr {
namespace {

// Integers first, then doubles, then case-insensitive text; the sign of the order.
// For two numbers of which one is NaN there is no order: `unordered` is set.
int compareValues(const QString& left, const QString& right, bool& unordered) {
  unordered = false;
  // The right side is converted only when the left one is a number.
  bool leftOk = false;
  bool rightOk = false;
  const qlonglong li = left.toLongLong(&leftOk, 10);
  const qlonglong ri = leftOk ? right.toLongLong(&rightOk, 10) : 0;
  if (leftOk && rightOk) return li < ri ? -1 : (li > ri ? 1 : 0);
  const double ld = left.toDouble(&leftOk);
  const double rd = leftOk ? right.toDouble(&rightOk) : 0.0;
  if (leftOk && rightOk) {
    if (std::isnan(ld) || std::isnan(rd)) {
      unordered = true;
      return 0;
    }
    return ld < rd ? -1 : (ld > rd ? 1 : 0);
  }
  return left.compare(right, Qt::CaseInsensitive);
}

bool compareHolds(std::uint32_t operation, const QString& left, const QString& right) {
  bool unordered = false;
  const int order = compareValues(left, right, unordered);
  if (unordered) return operation == OpNotEqual;
  switch (operation) {
    case OpEqual: return order == 0;
    case OpNotEqual: return order != 0;
    case OpLess: return order < 0;
    case OpEqualOrLess: return order <= 0;
    case OpGreat: return order > 0;
    case OpEqualOrGreat: return order >= 0;
    default: return false;
  }
}

QString describeNode(const char* what, const QString& name, std::int64_t id) {
  return QLatin1String(what) + QLatin1String(" '") + name + QLatin1String("' (ID:") +
         QString::number(id) + QLatin1Char(')');
}

}  // namespace

QString binaryOperationName(std::uint32_t operation) {
  static const char* const kNames[] = {"Equal", "NotEqual", "Less", "EqualOrLess",
                                       "Great", "EqualOrGreat", "Or", "And"};
  if (operation < OpEqual || operation > OpAnd) return QStringLiteral("unknown");
  return QLatin1String(kNames[operation - 1]);
}

QString unaryOperationName(std::uint32_t operation) {
  return operation == OpNot ? QStringLiteral("Not") : QStringLiteral("unknown");
}

int TaskCommon::child(int index, ITask** out) const {
  if (index < 0 || index >= childCount()) return kChildIndexOutOfRange;
  *out = children_[static_cast<size_t>(index)].get();
  return kOk;
}

void TaskCommon::addChild(ITask* node) {
  if (!node || node == this) return;
  const auto same = [node](const std::unique_ptr<ITask>& child) { return child.get() == node; };
  if (std::find_if(children_.begin(), children_.end(), same) != children_.end()) return;
  if (children_.empty()) children_.reserve(2);  // most nodes with children are binary
  children_.emplace_back(node);
}

QString TaskVariable::describe() const { return describeNode("Variable", text_, id()); }

int TaskVariable::execute(QString* result) {
  *result = text_;
  return kOk;
}

QString TaskFunction::describe() const { return describeNode("Function", name_, id()); }

int TaskFunction::execute(QString* result) {
  if (!functions_) return kNoFunctionsProvider;
  if (!functions_->hasFunction(name_)) return kUnknownFunction;

  const int overloads = functions_->overloadCount(name_);
  if (overloads < 1) return kNoMatchingOverload;
  const int given = childCount();
  int passed = -1;
  for (int index = 0; index < overloads && passed < 0; ++index) {
    FunctionInfo info;
    if (!functions_->functionInfo(name_, index, &info)) continue;
    const qint64 wanted = info.argCount();
    if (info.isVariadic() ? given >= wanted : given == wanted)
      passed = info.isVariadic() ? given : static_cast<int>(wanted);
  }
  if (passed < 0) return kNoMatchingOverload;

  std::vector<QString> args;
  args.reserve(static_cast<size_t>(passed));
  for (int i = 0; i < passed; ++i) {
    ITask* node = nullptr;
    int code = child(i, &node);
    if (code != kOk) return code;
    QString value;
    code = node->execute(&value);
    if (code != kOk) return code;
    args.push_back(value);
  }
  IFunction* function = functions_->function(name_);
  if (!function) return kNoImplementation;
  return function->execute(args, result);
}

QString TaskBinOperation::describe() const {
  return describeNode("Binary operation", binaryOperationName(operation_), id());
}

int TaskBinOperation::execute(QString* result) {
  if (childCount() != 2) return kBadOperandCount;
  ITask* leftNode = nullptr;
  ITask* rightNode = nullptr;
  int code = child(0, &leftNode);
  if (code != kOk) return code;
  code = child(1, &rightNode);
  if (code != kOk) return code;
  QString left;
  QString right;
  code = leftNode->execute(&left);
  if (code != kOk) return code;
  code = rightNode->execute(&right);
  if (code != kOk) return code;
  stripQuotes(left, false);
  stripQuotes(right, false);

  bool value = false;
  if (operation_ == OpOr)
    value = isTrue(left) || isTrue(right);
  else if (operation_ == OpAnd)
    value = isTrue(left) && isTrue(right);
  else
    value = compareHolds(operation_, left, right);
  *result = boolText(value);
  return kOk;
}

QString TaskUnOperation::describe() const {
  return describeNode("Unary left operation", unaryOperationName(operation_), id());
}

int TaskUnOperation::execute(QString* result) {
  if (childCount() != 1) return kBadOperandCount;
  ITask* operand = nullptr;
  int code = child(0, &operand);
  if (code != kOk) return code;
  QString value;
  code = operand->execute(&value);
  if (code != kOk) return code;
  stripQuotes(value, true);
  *result = boolText(!isTrue(value));
  return kOk;
}

}  // namespace intr
