#include "platform/sound.h"

#include "platform/shell_command.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

namespace {

struct Player {
  const char* program;
  const char* options;  // placed before the file; empty for none
};

const Player kPlayers[] = {
    {"paplay", ""},
    {"aplay", "-q"},
    {"afplay", ""},
};

}  // namespace

void playWavFile(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).isFile()) return;
  for (const Player& player : kPlayers) {
    const QString program = QStandardPaths::findExecutable(QLatin1String(player.program));
    if (program.isEmpty()) continue;
    QStringList arguments;
    if (*player.options) arguments << QLatin1String(player.options);
    // A name that starts with "-" would be read as an option of the player.
    arguments << (path.startsWith(QLatin1Char('-')) ? QLatin1String("./") + path : path);
    // The player's channels are ours, as a sound call prints nothing of its own; a player
    // that fails is no failure of the run.
    int exitCode = 0;
    (void)runProgram(program, arguments, exitCode);
    return;
  }
}

}  // namespace platform
