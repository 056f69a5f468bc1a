#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace {

// A temporary stream holding text, rewound for reading.
std::FILE* streamWith(const char* text) {
  std::FILE* f = std::tmpfile();
  std::fputs(text, f);
  std::rewind(f);
  return f;
}

QString contentOf(std::FILE* f) {
  std::rewind(f);
  QByteArray bytes;
  char buffer[256];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, int(n));
  return QString::fromUtf8(bytes);
}

// What is left to read: whether the box consumed the input line.
QString restOf(std::FILE* f) {
  QByteArray bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.append(char(c));
  return QString::fromUtf8(bytes);
}

TEST(MessageBox, BlockHoldsCaptionKindAndEveryLine) {
  const QString block = platform::formatBox(platform::BoxError, QStringLiteral("BUILD SYSTEM"),
                                            QStringLiteral("An error occurred.\r\nError: 30.\r\n\r\nDetail\r\n"));
  EXPECT_TRUE(block.contains(QStringLiteral("| BUILD SYSTEM (error)\n"))) << qPrintable(block);
  EXPECT_TRUE(block.contains(QStringLiteral("| An error occurred.\n| Error: 30.\n|\n| Detail\n"))) << qPrintable(block);
  EXPECT_FALSE(block.contains(QLatin1Char('\r')));
}

TEST(MessageBox, KindWords) {
  EXPECT_EQ(platform::boxKindName(1), QStringLiteral("information"));
  EXPECT_EQ(platform::boxKindName(2), QStringLiteral("warning"));
  EXPECT_EQ(platform::boxKindName(3), QStringLiteral("error"));
  EXPECT_EQ(platform::boxKindName(4), QStringLiteral("stop"));
  EXPECT_TRUE(platform::boxKindName(0).isEmpty());
  EXPECT_FALSE(platform::formatBox(0, QStringLiteral("C"), QStringLiteral("t")).contains(QLatin1Char('(')));
}

TEST(MessageBox, WaitsForEnterOnlyWhenSomeoneIsThere) {
  for (bool interactive : {true, false}) {
    std::FILE* in = streamWith("\nnext\n");
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(platform::showMessageBoxOn(in, out, interactive, 1, QStringLiteral("C"), QStringLiteral("hello")), 0);
    EXPECT_TRUE(contentOf(out).contains(QStringLiteral("| hello\n")));
    EXPECT_EQ(restOf(in), interactive ? QStringLiteral("next\n") : QStringLiteral("\nnext\n")) << interactive;
    std::fclose(in);
    std::fclose(out);
  }
}

TEST(MessageBox, QuestionAnswers) {
  struct Case {
    const char* input;
    platform::QuestionAnswer answer;
  };
  const Case cases[] = {
      {"y\n", platform::QuestionAnswer::Yes},   {"YES\n", platform::QuestionAnswer::Yes},
      {" Yes \n", platform::QuestionAnswer::Yes}, {"yes", platform::QuestionAnswer::Yes},
      {"n\n", platform::QuestionAnswer::No},    {"yess\n", platform::QuestionAnswer::No},
      {"\n", platform::QuestionAnswer::No},     {"", platform::QuestionAnswer::No},
  };
  for (const Case& c : cases) {
    std::FILE* in = streamWith(c.input);
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(platform::showQuestionOn(in, out, true, QStringLiteral("C"), QStringLiteral("Go on?")), c.answer)
        << c.input;
    EXPECT_TRUE(contentOf(out).contains(QStringLiteral("[y/N]")));
    std::fclose(in);
    std::fclose(out);
  }
}

TEST(MessageBox, UnattendedQuestionReadsNothing) {
  std::FILE* in = streamWith("y\n");
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(platform::showQuestionOn(in, out, false, QStringLiteral("C"), QStringLiteral("Go on?")),
            platform::QuestionAnswer::Unattended);
  EXPECT_EQ(restOf(in), QStringLiteral("y\n"));
  std::fclose(in);
  std::fclose(out);
}

TEST(MessageBox, VeryLongAnswerLineIsReadToItsEnd) {
  std::string input(100000, 'y');
  input += "\nrest";
  std::FILE* in = streamWith(input.c_str());
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(platform::showQuestionOn(in, out, true, QStringLiteral("C"), QStringLiteral("Q")),
            platform::QuestionAnswer::No);
  EXPECT_EQ(restOf(in), QStringLiteral("rest"));
  std::fclose(in);
  std::fclose(out);
}

}  // namespace
