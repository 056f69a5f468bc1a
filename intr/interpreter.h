#pragma once

#include "intr/function.h"
#include "intr/item_id_provider.h"

#include <QString>

#include <map>
#include <memory>

class IProjectsProvider;
class IVariablesExpander;
class IVariablesGetter;

namespace intr {

class ITask;

// Evaluates condition texts (variables already expanded by the caller) and is the
// table of built-in functions that the parser and the function nodes consult.
class Interpreter : public IFunctionsProvider {
 public:
  Interpreter();
  ~Interpreter() override;
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Registers the built-in functions; does not empty the table first.
  void init(IVariablesExpander* expander, IVariablesGetter* getter, IProjectsProvider* projects);

  // Takes ownership; null is ignored. A name already present (in any case) keeps
  // answering with its first registration.
  void registerFunction(IFunction* function);

  bool hasFunction(const QString& name) override;
  int overloadCount(const QString& name) override;
  bool functionInfo(const QString& name, int index, FunctionInfo* out) override;
  IFunction* function(const QString& name) override;

  [[nodiscard]] int compile(const QString& text);
  // A text that parses to no tree returns 0 and leaves *result as it was.
  [[nodiscard]] int evaluate(const QString& text, QString* result);

  // The last compiled tree, kept only when its compile failed.
  ITask* tree() const { return tree_.get(); }

 private:
  struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const {
      return a.compare(b, Qt::CaseInsensitive) < 0;
    }
  };
  struct Entry {
    FunctionInfo info;
    std::unique_ptr<IFunction> function;
  };
  using Table = std::multimap<QString, Entry, CaseInsensitiveLess>;

  const Entry* find(const QString& name) const;

  std::unique_ptr<ITask> tree_;
  Table table_;
  ItemIdProviderImpl ids_;
  IVariablesExpander* expander_ = nullptr;
  IVariablesGetter* getter_ = nullptr;
  IProjectsProvider* projects_ = nullptr;
};

}  // namespace intr
