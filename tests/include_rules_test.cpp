// The layering of the sources, read from their #include lines: includes run one way,
// from manager/ down to platform/, and only platform/ touches the operating system.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <iterator>

namespace {

// Lowest first: a file may include its own folder and the folders before it.
const char* const kLayers[] = {"platform", "core", "project", "intr", "tasks", "xml", "build", "manager"};

int layerOf(const QString& folder) {
  for (int i = 0; i < static_cast<int>(std::size(kLayers)); ++i)
    if (folder == QLatin1String(kLayers[i])) return i;
  return -1;
}

// The task factory knows every task class, the project tasks of build/ among them.
bool mayIncludeUpward(const QString& file, const QString& targetFolder) {
  return file == QLatin1String("tasks/task_factory_impl.cpp") && targetFolder == QLatin1String("build");
}

// C and operating-system headers end in ".h"; those of C++ and Qt do not (Qt's
// lower-case forms aside).
bool isSystemHeader(const QString& name) {
  return name.endsWith(QLatin1String(".h")) && !name.startsWith(QLatin1String("Qt")) &&
         !name.startsWith(QLatin1Char('q'));
}

// Each broken rule of one source, as "file:line: what"; file is relative to the
// source root with "/" separators.
QStringList includeViolations(const QString& file, const QString& text) {
  static const QRegularExpression kInclude(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
  const QString folder = file.section(QLatin1Char('/'), 0, 0);
  const int own = layerOf(folder);
  QStringList found;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    const QRegularExpressionMatch match = kInclude.match(lines.at(i));
    if (!match.hasMatch()) continue;
    const QString name = match.captured(2);
    const QString where = file + QLatin1Char(':') + QString::number(i + 1) + QLatin1String(": ");
    if (match.captured(1) == QLatin1String("<")) {
      if (folder != QLatin1String("platform") && isSystemHeader(name))
        found << where + QLatin1String("system header <") + name + QLatin1String("> outside platform/");
      continue;
    }
    const QString target = name.contains(QLatin1Char('/')) ? name.section(QLatin1Char('/'), 0, 0) : QString();
    const int layer = layerOf(target);
    if (layer < 0)
      found << where + QLatin1Char('"') + name + QLatin1String("\" is not in a layer folder");
    else if (layer > own && !mayIncludeUpward(file, target))
      found << where + folder + QLatin1String("/ includes upward \"") + name + QLatin1Char('"');
  }
  return found;
}

QString sourceRoot() { return QDir::cleanPath(QStringLiteral(VARKEL_TEST_DATA_DIR "/../..")); }

TEST(IncludeRules, EverySourceKeepsTheLayering) {
  const QDir root(sourceRoot());
  ASSERT_TRUE(QFileInfo::exists(root.filePath(QStringLiteral("tasks/task_factory_impl.cpp"))))
      << "no sources under " << root.path().toStdString();
  QStringList violations;
  for (const char* layer : kLayers) {
    QDirIterator it(root.filePath(QLatin1String(layer)), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile source(path);
      ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << path.toStdString();
      violations << includeViolations(root.relativeFilePath(path), QString::fromUtf8(source.readAll()));
    }
  }
  EXPECT_TRUE(violations.isEmpty()) << violations.join(QLatin1Char('\n')).toStdString();
}

TEST(IncludeRules, ViolationNamesFileLineAndInclude) {
  EXPECT_EQ(includeViolations(QStringLiteral("core/a.cpp"),
                              QStringLiteral("#include \"core/b.h\"\n\n#include \"tasks/task.h\"\n")),
            QStringList{QStringLiteral("core/a.cpp:3: core/ includes upward \"tasks/task.h\"")});
  EXPECT_EQ(includeViolations(QStringLiteral("intr/a.h"), QStringLiteral("#include <sys/stat.h>")),
            QStringList{QStringLiteral("intr/a.h:1: system header <sys/stat.h> outside platform/")});
}

struct IncludeCase {
  const char* name;
  const char* file;
  const char* line;
  bool allowed;
};

const IncludeCase kIncludeCases[] = {
    {"OwnFolder", "tasks/a.cpp", "#include \"tasks/task.h\"", true},
    {"LowerFolder", "xml/a.cpp", "#include \"core/logger.h\"", true},
    {"ManagerReachesEveryFolder", "manager/main.cpp", "#include \"build/a.h\"", true},
    {"CoreIncludesTasks", "core/a.cpp", "#include \"tasks/task.h\"", false},
    {"PlatformIncludesCore", "platform/a.h", "#include \"core/logger.h\"", false},
    {"XmlIncludesManager", "xml/a.cpp", "#include \"manager/build_manager.h\"", false},
    {"SpacedDirective", "project/a.h", "  #  include   \"intr/a.h\"", false},
    {"TaskFactoryIncludesBuild", "tasks/task_factory_impl.cpp", "#include \"build/task_build.h\"", true},
    {"TaskFactoryIncludesXml", "tasks/task_factory_impl.cpp", "#include \"xml/xml_parser.h\"", false},
    {"OtherTaskIncludesBuild", "tasks/task_echo.cpp", "#include \"build/task_build.h\"", false},
    {"NoFolder", "core/a.cpp", "#include \"a.h\"", false},
    {"UnknownFolder", "core/a.cpp", "#include \"tests/test_support.h\"", false},
    {"UnistdOutsidePlatform", "core/a.cpp", "#include <unistd.h>", false},
    {"SysHeaderOutsidePlatform", "tasks/a.cpp", "#include <sys/wait.h>", false},
    {"WindowsHeaderOutsidePlatform", "manager/main.cpp", "#include <windows.h>", false},
    {"PwdInPlatform", "platform/account.cpp", "#include <pwd.h>", true},
    {"StandardHeader", "core/a.cpp", "#include <cstdio>", true},
    {"QtHeader", "core/a.cpp", "#include <QString>", true},
    {"QtLowerCaseHeader", "core/a.cpp", "#include <QtCore/qglobal.h>", true},
    {"CommentNotInclude", "core/a.cpp", "// #include \"manager/a.h\" would be wrong", true},
};

class IncludeRulesTable : public testing::TestWithParam<IncludeCase> {};

TEST_P(IncludeRulesTable, JudgesTheInclude) {
  const IncludeCase& c = GetParam();
  const QStringList violations = includeViolations(QLatin1String(c.file), QLatin1String(c.line));
  EXPECT_EQ(violations.isEmpty(), c.allowed) << violations.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(IncludeRules, IncludeRulesTable, testing::ValuesIn(kIncludeCases),
                         [](const testing::TestParamInfo<IncludeCase>& row) { return std::string(row.param.name); });

}  // namespace
