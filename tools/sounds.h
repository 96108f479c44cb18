#pragma once
// Names of the sound files the game loads, shared by the sound generator and
// the settings file that names the game music.

namespace sounds {

// The game music: a looping stream (MUSIC0 in init.props, MUSIC0_TYPE=NOSEQ).
constexpr const char* kGameMusic = "sound/ingame.wav";

}  // namespace sounds
