#pragma once
// The sound played when a fax has arrived: a WAV file handed to the desktop's own player
// (PipeWire's pw-play, PulseAudio's paplay or ALSA's aplay, the first found on the PATH),
// started detached so that receiving never waits for it. No player, no sound device or a
// missing file only means no sound.

#include <QString>

namespace corvane {

// The player that would play `wavFile`, empty when none is installed.
QString ArrivalSoundPlayer();

// Starts the player on `wavFile` and returns at once; true when a player was started.
bool PlayArrivalSound(const QString& wavFile);

}  // namespace corvane
