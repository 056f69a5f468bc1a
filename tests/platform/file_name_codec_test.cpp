// File names as the bytes they are: through Qt's local 8-bit codec (set by the suite's
// main as by the program's) every byte string comes back whole, and valid UTF-8 reads
// exactly as Qt's UTF-8 reads it.

#include "platform/file_name_codec.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTextCodec>
#include <QTextDecoder>
#include <QTextEncoder>

#include <memory>

namespace {

QString chars(std::initializer_list<ushort> units) {
  QString out;
  for (ushort u : units) out += QChar(u);
  return out;
}

TEST(FileNameCodec, EveryByteStringComesBackWhole) {
  const struct {
    const char* name;
    QByteArray bytes;
    QString text;
  } cases[] = {
      {"ASCII", "plain.txt", "plain.txt"},
      {"UTF-8 of two, three and four bytes", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
       QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80")},
      {"a Latin-1 byte", "caf\xe9.txt", "caf" + chars({0xDCE9}) + ".txt"},
      {"a lone continuation byte", "a\x80z", "a" + chars({0xDC80}) + "z"},
      {"a sequence cut short", "\xe2\x82z", chars({0xDCE2, 0xDC82}) + "z"},
      {"a sequence cut at the end", "ab\xf0\x9f\x98", "ab" + chars({0xDCF0, 0xDC9F, 0xDC98})},
      {"an overlong slash", "\xc0\xaf", chars({0xDCC0, 0xDCAF})},
      {"a surrogate written as UTF-8", "\xed\xa0\x80", chars({0xDCED, 0xDCA0, 0xDC80})},
      {"a character that stands for a byte, written as UTF-8", "\xed\xb3\xa9", chars({0xDCED, 0xDCB3, 0xDCA9})},
      {"past U+10FFFF", "\xf4\x90\x80\x80", chars({0xDCF4, 0xDC90, 0xDC80, 0xDC80})},
      // Qt's UTF-8 would drop it.
      {"a byte-order mark", "\xef\xbb\xbfx", chars({0xFEFF}) + "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, QFile::decodeName(c.bytes));
    EXPECT_EQ(c.bytes, QFile::encodeName(c.text));
    EXPECT_EQ(c.bytes, QString(c.text).toLocal8Bit());
  }
  // Text from elsewhere with a surrogate that pairs with nothing is written as Qt writes it.
  const QString lone = chars({0xD800}) + "a" + chars({0xDC10});
  EXPECT_EQ(lone.toUtf8(), QFile::encodeName(lone));
  // A high surrogate before a character that could stand for a byte pairs with it.
  EXPECT_EQ(QString(chars({0xD800, 0xDC80})).toUtf8(), QFile::encodeName(chars({0xD800, 0xDC80})));
}

// A stream decoded piece by piece gives what the whole gives; where it is valid UTF-8,
// what Qt's UTF-8 gives, byte-order mark and all.
TEST(FileNameCodec, AStreamCarriesASequenceAcrossPieces) {
  QTextCodec* const ours = QTextCodec::codecForLocale();
  QTextCodec* const utf8 = QTextCodec::codecForName("UTF-8");
  ASSERT_NE(ours, utf8);
  const QByteArray valid = "\xef\xbb\xbf" "caf\xc3\xa9 \xf0\x9f\x98\x80!";
  const QByteArray mixed = "caf\xe9 \xc3\xa9\xf0\x9f\x98";
  for (const QByteArray& bytes : {valid, mixed}) {
    const std::unique_ptr<QTextDecoder> whole(ours->makeDecoder());
    const QString expected = whole->toUnicode(bytes);
    const std::unique_ptr<QTextDecoder> pieces(ours->makeDecoder());
    QString got;
    for (char byte : bytes) got += pieces->toUnicode(&byte, 1);
    EXPECT_EQ(expected, got) << bytes.toHex().constData();
  }
  const std::unique_ptr<QTextDecoder> reference(utf8->makeDecoder());
  const std::unique_ptr<QTextDecoder> decoder(ours->makeDecoder());
  EXPECT_EQ(reference->toUnicode(valid), decoder->toUnicode(valid));

  const QString text = QString::fromUtf8("\xf0\x9f\x98\x80") + chars({0xDCE9});
  const std::unique_ptr<QTextEncoder> encoder(ours->makeEncoder(QTextCodec::IgnoreHeader));
  QByteArray encoded = encoder->fromUnicode(text.left(1));
  encoded += encoder->fromUnicode(text.mid(1));
  EXPECT_EQ(QByteArray("\xf0\x9f\x98\x80\xe9"), encoded);
}

TEST(FileNameCodec, OnlyAUtf8LocaleIsChanged) {
  QTextCodec* const ours = QTextCodec::codecForLocale();
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
  platform::keepFileNameBytes();
  EXPECT_EQ(QByteArray("ISO-8859-1"), QTextCodec::codecForLocale()->name());
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
  platform::keepFileNameBytes();
  EXPECT_EQ(ours, QTextCodec::codecForLocale());
}

TEST(FileNameCodec, TheLogShowsAByteByItsValue) {
  const struct {
    const char* name;
    QString text;
    QByteArray readable;
  } cases[] = {
      {"bytes", QFile::decodeName("caf\xe9/sub\xff"), "caf\\xE9/sub\\xFF"},
      {"UTF-8 beside a byte", QFile::decodeName("\xc3\xa9\xe9"), "\xc3\xa9\\xE9"},
      {"a pair is a character", chars({0xD800, 0xDC80}), QString(chars({0xD800, 0xDC80})).toUtf8()},
      {"no byte at all", QString::fromUtf8("plain \xe2\x82\xac"), "plain \xe2\x82\xac"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.readable, platform::readableUtf8(c.text)) << c.name;
}

}  // namespace
