#pragma once

#include <QString>

#include <cstdio>

// Message and question boxes of a console program: a framed block on standard error.
// Only a person at a terminal is waited for or asked, so an unattended run never hangs.
namespace platform {

enum BoxKind : int { BoxInformation = 1, BoxWarning = 2, BoxError = 3, BoxStop = 4 };

enum class QuestionAnswer { Yes, No, Unattended };

// "information", "warning", "error", "stop"; empty for any other kind.
QString boxKindName(int kind);

// The block as written: caption with the kind, then every line of text; "\n" line ends.
QString formatBox(int kind, const QString& caption, const QString& text);

// "y" or "yes" in any letter case, blanks around ignored.
bool isYesAnswer(const QString& line);

// Shows the box and, on a terminal, waits for Enter. Always 0.
[[nodiscard]] int showMessageBox(int kind, const QString& caption, const QString& text);
// Asks with "[y/N]"; without a terminal the answer is Unattended (to be taken as No).
QuestionAnswer showQuestion(const QString& caption, const QString& text);

// The same over given streams; interactive says whether a person reads out and types into in.
[[nodiscard]] int showMessageBoxOn(std::FILE* in, std::FILE* out, bool interactive, int kind, const QString& caption,
                                   const QString& text);
QuestionAnswer showQuestionOn(std::FILE* in, std::FILE* out, bool interactive, const QString& caption,
                              const QString& text);

}  // namespace platform
