#include "platform/message_box.h"

#include "platform/console_output.h"
#include "platform/stop_signals.h"

#include <QByteArray>
#include <QStringList>

#include <unistd.h>

namespace platform {

namespace {

const int kRuleWidth = 60;
// A line typed in answer longer than this is read to its end and cut.
const int kMaxAnswerLength = 256;

void writeText(std::FILE* out, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  // The console's own writer: once a stop has come, a console no one reads holds nothing up.
  if (out == stderr) {
    (void)writeStandardError(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return;
  }
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
  std::fflush(out);
}

// A person who asked the run to stop is not waited for.
bool waitsForAnswer(bool interactive) { return interactive && stopSignal() == 0; }

// One line from in, without its line end; false at the end of input with nothing read.
bool readLine(std::FILE* in, QString& line) {
  QByteArray bytes;
  int c;
  bool any = false;
  while ((c = std::fgetc(in)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (bytes.size() < kMaxAnswerLength) bytes.append(char(c));
  }
  line = QString::fromUtf8(bytes);
  return any;
}

bool stdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace

QString boxKindName(int kind) {
  switch (kind) {
    case BoxInformation: return QStringLiteral("information");
    case BoxWarning: return QStringLiteral("warning");
    case BoxError: return QStringLiteral("error");
    case BoxStop: return QStringLiteral("stop");
    default: return QString();
  }
}

QString formatBox(int kind, const QString& caption, const QString& text) {
  const QString rule = QLatin1Char('+') + QString(kRuleWidth, QLatin1Char('-')) + QLatin1Char('\n');
  QString out = rule + QLatin1String("| ") + caption;
  const QString kindName = boxKindName(kind);
  if (!kindName.isEmpty()) out += QLatin1String(" (") + kindName + QLatin1Char(')');
  out += QLatin1Char('\n') + rule;
  QString body = text;
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  while (body.endsWith(QLatin1Char('\n'))) body.chop(1);
  for (const QString& line : body.split(QLatin1Char('\n')))
    out += (line.isEmpty() ? QStringLiteral("|") : QLatin1String("| ") + line) + QLatin1Char('\n');
  return out + rule;
}

bool isYesAnswer(const QString& line) {
  const QString word = line.trimmed();
  return word.compare(QLatin1String("y"), Qt::CaseInsensitive) == 0 ||
         word.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
}

int showMessageBoxOn(std::FILE* in, std::FILE* out, bool interactive, int kind, const QString& caption,
                     const QString& text) {
  writeText(out, formatBox(kind, caption, text));
  if (waitsForAnswer(interactive)) {
    writeText(out, QStringLiteral("Press Enter to continue..."));
    QString ignored;
    readLine(in, ignored);
  }
  return 0;
}

QuestionAnswer showQuestionOn(std::FILE* in, std::FILE* out, bool interactive, const QString& caption,
                              const QString& text) {
  writeText(out, formatBox(0, caption, text) + QLatin1String("[y/N] "));
  if (!waitsForAnswer(interactive)) {
    writeText(out, QStringLiteral("\n"));
    return QuestionAnswer::Unattended;
  }
  QString line;
  readLine(in, line);
  return isYesAnswer(line) ? QuestionAnswer::Yes : QuestionAnswer::No;
}

int showMessageBox(int kind, const QString& caption, const QString& text) {
  return showMessageBoxOn(stdin, stderr, stdinIsTerminal(), kind, caption, text);
}

QuestionAnswer showQuestion(const QString& caption, const QString& text) {
  return showQuestionOn(stdin, stderr, stdinIsTerminal(), caption, text);
}

}  // namespace platform
