#pragma once

#include <QString>

namespace platform {

// Plays a WAV file and returns when it has ended, through the first of paplay,
// aplay and afplay found on PATH. Without a player or without the file nothing happens.
void playWavFile(const QString& path);

}  // namespace platform
