#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace intr {

// How a function is called: for a fixed function argCount is the exact number of
// arguments, for a variadic one the least number.
class FunctionInfo {
 public:
  void reset() {
    argCount_ = 0;
    variadic_ = false;
  }
  std::uint32_t argCount() const { return argCount_; }
  void setArgCount(std::uint32_t count) { argCount_ = count; }
  bool isVariadic() const { return variadic_; }
  void setVariadic(bool variadic) { variadic_ = variadic; }

 private:
  std::uint32_t argCount_ = 0;
  bool variadic_ = false;
};

class IFunction {
 public:
  virtual ~IFunction() = default;
  virtual QString name() const = 0;
  virtual int argCount() const = 0;
  virtual bool isVariadic() const = 0;
  // 0 with the value in *result, or a code with *result untouched.
  [[nodiscard]] virtual int execute(const std::vector<QString>& args, QString* result) = 0;
};

// Answers the parser (is this a function, how is it called) and the function nodes
// (which implementation runs).
class IFunctionsProvider {
 public:
  virtual ~IFunctionsProvider() = default;
  virtual bool hasFunction(const QString& name) = 0;
  virtual int overloadCount(const QString& name) = 0;
  virtual bool functionInfo(const QString& name, int index, FunctionInfo* out) = 0;
  virtual IFunction* function(const QString& name) = 0;
};

}  // namespace intr
