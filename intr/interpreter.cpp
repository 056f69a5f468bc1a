#include "intr/interpreter.h"

#include "intr/builtin_functions.h"
#include "intr/expression_nodes.h"
#include "intr/lexer.h"
#include "intr/parser.h"
#include "intr/project_functions.h"
#include "intr/result_codes.h"

namespace intr {

// Out of line: the tree's node type is complete only here.
Interpreter::Interpreter() = default;
Interpreter::~Interpreter() = default;

void Interpreter::init(IVariablesExpander* expander, IVariablesGetter* getter,
                       IProjectsProvider* projects) {
  expander_ = expander;
  getter_ = getter;
  projects_ = projects;
  registerFunction(new FuncExistsProperty(expander, getter));
  registerFunction(new FuncIsEmpty(nullptr, getter));
  registerFunction(new FuncIsTrue(nullptr, getter));
  registerFunction(new FuncIsFalse(nullptr, getter));
  registerFunction(new FuncReplaceAll(nullptr, getter));
  registerFunction(new FuncContains(nullptr, getter));
  registerFunction(new FuncContainsIgnoreCase(nullptr, getter));
  registerFunction(new FuncExistsFile(nullptr, getter));
  registerFunction(new FuncExistsDir(nullptr, getter));
  registerFunction(new FuncCombinePath(nullptr, getter));
  registerFunction(new FuncExtractParentDir(nullptr, getter));
  registerFunction(new FuncGetBuildConfiguration(nullptr, getter));
  registerFunction(new FuncGetBuildPlatform(nullptr, getter));
  registerFunction(new FuncGetBuildTarget(nullptr, getter));
  registerFunction(new FuncGetProjectAttribute(expander, getter, projects));
  registerFunction(new FuncExistsProjectAttribute(expander, getter, projects));
  registerFunction(new FuncGetAllProjects(nullptr, getter, projects));
  registerFunction(new FuncGetAllProjectsByFilter(nullptr, getter, projects));
  registerFunction(new FuncGetAllChildProjects(nullptr, getter, projects));
  registerFunction(new FuncGetProjectFilterName(nullptr, getter, projects));
  registerFunction(new FuncGetProjectFile(nullptr, getter, projects));
  registerFunction(new FuncGetProjectDir(nullptr, getter, projects));
  registerFunction(new FuncGetProjectDefFile(nullptr, getter, projects));
  registerFunction(new FuncGetProjectFinalOutDirById(nullptr, getter, projects));
  registerFunction(new FuncGetProjectFinalOutDir(nullptr, getter, projects));
  registerFunction(new FuncGetProjectOutDirById(nullptr, getter, projects));
  registerFunction(new FuncGetProjectOutDirIdByPath(nullptr, getter, projects));
  registerFunction(new FuncGetProjectOutDirIds(nullptr, getter, projects));
  registerFunction(new FuncGetProjectOutDirs(nullptr, getter, projects));
  registerFunction(new FuncGetChildProjects(nullptr, getter, projects));
  registerFunction(new FuncGetProjectVerFileById(nullptr, getter, projects));
  registerFunction(new FuncGetProjectVerFileCount(nullptr, getter, projects));
  registerFunction(new FuncGetProjectVerFileIds(nullptr, getter, projects));
  registerFunction(new FuncGetProjectVerFiles(nullptr, getter, projects));
  registerFunction(new FuncGetAllBuildProjects(nullptr, getter, projects));
  registerFunction(new FuncGetAllLibs(nullptr, getter, projects));
  registerFunction(new FuncIsBuildProject(nullptr, getter, projects));
  registerFunction(new FuncIsLib(nullptr, getter, projects));
  registerFunction(new FuncGetComputerName(nullptr, getter));
  registerFunction(new FuncGetDomainName(nullptr, getter));
  registerFunction(new FuncGetUserName(nullptr, getter));
  registerFunction(new FuncGetUserSid(nullptr, getter));
  registerFunction(new FuncAddToList(nullptr, getter));
  registerFunction(new FuncAddToListUnique(nullptr, getter));
  registerFunction(new FuncRemoveDuplicates(nullptr, getter));
  registerFunction(new FuncIsOs(nullptr, getter));
  registerFunction(new FuncIsOsWindows(nullptr, getter));
  registerFunction(new FuncIsOsMacos(nullptr, getter));
  registerFunction(new FuncIsOsLinux(nullptr, getter));
  registerFunction(new FuncGetAllProjectsByDistribution(nullptr, getter, projects));
  registerFunction(new FuncGetAllProductProjects(nullptr, getter, projects));
  registerFunction(new FuncGetAllInternalProjects(nullptr, getter, projects));
  registerFunction(new FuncGetProjectDistribution(nullptr, getter, projects));
  registerFunction(new FuncIsProductProject(nullptr, getter, projects));
  registerFunction(new FuncIsInternalProject(nullptr, getter, projects));
}

void Interpreter::registerFunction(IFunction* function) {
  if (!function) return;
  Entry entry;
  entry.function.reset(function);
  entry.info.setArgCount(static_cast<std::uint32_t>(function->argCount()));
  entry.info.setVariadic(function->isVariadic());
  table_.emplace(function->name(), std::move(entry));  // an equal key goes after the existing ones
}

const Interpreter::Entry* Interpreter::find(const QString& name) const {
  if (name.isEmpty()) return nullptr;
  auto it = table_.lower_bound(name);
  if (it == table_.end() || table_.key_comp()(name, it->first)) return nullptr;
  return &it->second;
}

bool Interpreter::hasFunction(const QString& name) { return find(name) != nullptr; }

int Interpreter::overloadCount(const QString& name) { return find(name) ? 1 : 0; }

bool Interpreter::functionInfo(const QString& name, int /*index*/, FunctionInfo* out) {
  const Entry* entry = find(name);
  if (!entry) return false;
  if (out) *out = entry->info;
  return true;
}

IFunction* Interpreter::function(const QString& name) {
  const Entry* entry = find(name);
  return entry ? entry->function.get() : nullptr;
}

int Interpreter::compile(const QString& text) {
  Lexer lexer;
  Parser parser;
  parser.setLexer(&lexer);
  parser.setFunctionsProvider(this);
  parser.setItemIdProvider(&ids_);
  tree_.reset();
  ITask* root = nullptr;
  const int code = parser.parse(text, &root);
  tree_.reset(root);
  return code;
}

int Interpreter::evaluate(const QString& text, QString* result) {
  const int code = compile(text);
  if (code != kOk) return code;
  if (!tree_) return kOk;
  QString ignored;
  const int executed = tree_->execute(result ? result : &ignored);
  tree_.reset();
  return executed;
}

}  // namespace intr
