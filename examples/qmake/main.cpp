#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#define GREETER_TEXT(x) #x
#define GREETER_STRING(x) GREETER_TEXT(x)

// Greets whoever is named on the command line, and says who built it with which Qt.
int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList names = app.arguments().mid(1);
  if (names.isEmpty()) names << QStringLiteral("world");
  QTextStream out(stdout);
  out << "Hello, " << names.join(QStringLiteral(", ")) << "! Built by " << GREETER_STRING(GREETER_BUILT_BY)
      << " with Qt " << QT_VERSION_STR << ".\n";
  return 0;
}
