// The floor for varkel's start-up: a Qt 5 console program that reads a small XML file
// with QXmlStreamReader and writes one line.
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QXmlStreamReader>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) return 1;
  QXmlStreamReader reader(&file);
  int elements = 0;
  while (!reader.atEnd()) {
    if (reader.readNext() == QXmlStreamReader::StartElement) ++elements;
  }
  if (reader.hasError()) return 1;
  QTextStream(stdout) << "elements: " << elements << "\r\n";
  return 0;
}
