#pragma once

#include <QByteArray>
#include <QString>

// File names here are bytes, mostly but not always UTF-8. Qt turns them (and the
// environment, the arguments, the system's messages) into text with its local 8-bit
// codec, which a UTF-8 locale makes lose every byte outside UTF-8: the name listed is
// then not the name opened.
namespace platform {

// Makes Qt's local 8-bit codec, where it is UTF-8, UTF-8 that keeps every byte: valid
// UTF-8 reads exactly as UTF-8 does, and each other byte becomes a character of its own,
// U+DC80 to U+DCFF (which UTF-8 never gives), that turns back into that byte. The codec of
// a locale of another charset (Latin-1, which keeps every byte too) stays. Once, after the
// QCoreApplication is made; calling it again changes nothing.
void keepFileNameBytes();

// The text in UTF-8 for a reader: a character that stands for a byte shows as the byte's
// value ("\xE9"); the rest as toUtf8 writes it.
void appendReadableUtf8(QByteArray& out, const QString& text);
QByteArray readableUtf8(const QString& text);

}  // namespace platform
