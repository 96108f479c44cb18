// Writes the game's sounds into sound/: short synthesised effects, the
// streams of the intro, logo, main menu and lost game, and the game music.
// All are 16-bit mono WAV data; the streams with ".mp3" names hold WAV data
// too (the sound layer tells the format by content). The music pieces loop
// without a click.

#include <algorithm>
#include <string>
#include <vector>

#include "common.h"
#include "generators.h"
#include "sounds.h"
#include "synth.h"

namespace {

using synth::Buffer;
using synth::noteHz;
using synth::Wave;

// --- effects ----------------------------------------------------------------

Buffer dwarfWalk() {
    Buffer b(0.5f, false);
    for (float t : {0.0f, 0.25f}) {
        b.noise(t, 0.07f, 0.6f, 700.0f, 300.0f, 0.003f, 0.05f);
        b.tone(t, 0.08f, 95.0f, 60.0f, 0.5f, Wave::Sine, 0.003f, 0.06f);
    }
    return b;
}

Buffer dwarfDie() {
    Buffer b(0.9f, false);
    b.tone(0.0f, 0.85f, 320.0f, 110.0f, 0.6f, Wave::Organ, 0.02f, 0.4f, 0.03f);
    b.noise(0.0f, 0.5f, 0.15f, 900.0f, 300.0f, 0.01f, 0.3f);
    return b;
}

Buffer dwarfFight() {
    Buffer b(0.45f, false);
    b.bell(0.0f, 0.45f, 523.0f, 0.6f, {1.0f, 2.7f, 4.26f, 6.06f}, 0.12f);
    b.noise(0.0f, 0.03f, 0.5f, 6000.0f, 3000.0f, 0.001f, 0.02f);
    return b;
}

Buffer dwarfHurt() {
    Buffer b(0.3f, false);
    b.tone(0.0f, 0.28f, 240.0f, 160.0f, 0.7f, Wave::Organ, 0.01f, 0.15f, 0.02f);
    return b;
}

Buffer dwarfSnore() {
    Buffer b(1.6f, false);
    b.noise(0.0f, 0.75f, 0.7f, 380.0f, 450.0f, 0.25f, 0.2f, 28.0f);
    b.tone(0.05f, 0.7f, 70.0f, 80.0f, 0.25f, Wave::Buzz, 0.25f, 0.2f);
    b.noise(0.9f, 0.6f, 0.3f, 900.0f, 500.0f, 0.1f, 0.4f);
    return b;
}

Buffer dragonFire() {
    Buffer b(1.0f, false);
    b.noise(0.0f, 0.5f, 0.8f, 300.0f, 3200.0f, 0.05f, 0.0f);
    b.noise(0.5f, 0.5f, 0.8f, 3200.0f, 500.0f, 0.0f, 0.45f);
    b.noise(0.0f, 1.0f, 0.4f, 150.0f, 120.0f, 0.05f, 0.5f, 11.0f);
    return b;
}

Buffer dragonSnarl() {
    Buffer b(1.2f, false);
    b.tone(0.0f, 1.15f, 82.0f, 68.0f, 0.55f, Wave::Buzz, 0.08f, 0.4f, 0.05f);
    b.noise(0.0f, 1.15f, 0.5f, 900.0f, 500.0f, 0.08f, 0.4f, 23.0f);
    return b;
}

Buffer dragonLogo() {
    Buffer b(2.0f, false);
    b.tone(0.0f, 1.95f, 120.0f, 65.0f, 0.5f, Wave::Buzz, 0.2f, 0.8f, 0.04f);
    b.tone(0.0f, 1.95f, 180.0f, 98.0f, 0.25f, Wave::Buzz, 0.25f, 0.8f, 0.05f);
    b.noise(0.0f, 1.95f, 0.6f, 1400.0f, 400.0f, 0.2f, 0.9f, 19.0f);
    return b;
}

Buffer wind() {
    Buffer b(3.0f, false);
    b.noise(0.0f, 1.5f, 0.7f, 200.0f, 700.0f, 0.8f, 0.0f);
    b.noise(1.5f, 1.5f, 0.7f, 700.0f, 250.0f, 0.0f, 1.2f);
    return b;
}

Buffer bird() {
    Buffer b(0.8f, false);
    const float starts[] = {0.0f, 0.12f, 0.24f, 0.5f};
    for (float t : starts) b.tone(t, 0.07f, 2800.0f, 4200.0f, 0.5f, Wave::Sine, 0.01f, 0.03f);
    b.tone(0.58f, 0.18f, 3600.0f, 3000.0f, 0.4f, Wave::Sine, 0.01f, 0.08f, 0.06f);
    return b;
}

Buffer balloonOk() {
    Buffer b(0.7f, false);
    b.bell(0.0f, 0.35f, 1047.0f, 0.5f, {1.0f, 2.0f, 3.0f}, 0.25f);
    b.bell(0.15f, 0.55f, 1568.0f, 0.5f, {1.0f, 2.0f, 3.0f}, 0.3f);
    return b;
}

Buffer menuSwitch() {
    Buffer b(0.08f, false);
    b.tone(0.0f, 0.07f, 880.0f, 940.0f, 0.5f, Wave::Square, 0.002f, 0.04f);
    return b;
}

Buffer menuEnter() {
    Buffer b(0.3f, false);
    b.tone(0.0f, 0.1f, 660.0f, 660.0f, 0.5f, Wave::Square, 0.002f, 0.04f);
    b.tone(0.1f, 0.18f, 990.0f, 990.0f, 0.5f, Wave::Square, 0.002f, 0.1f);
    return b;
}

// --- music ------------------------------------------------------------------

void pad(Buffer& b, float start, float length, const std::vector<int>& notes, float amp, Wave wave = Wave::Organ) {
    for (int n : notes) b.tone(start, length, noteHz(n), noteHz(n), amp, wave, length * 0.25f, length * 0.3f);
}

// Main menu: D minor, four chords of four beats at 120 beats a minute.
Buffer menuMusic() {
    Buffer b(8.0f, true);
    const std::vector<std::vector<int>> chords = {{62, 65, 69}, {58, 62, 65}, {53, 57, 60}, {60, 64, 67}};
    for (size_t c = 0; c < chords.size(); ++c) {
        const float t0 = 2.0f * c;
        pad(b, t0, 2.3f, {chords[c][0] - 12, chords[c][1] - 12, chords[c][2] - 12}, 0.10f);
        b.pluck(t0, 0.9f, noteHz(chords[c][0] - 24), 0.35f, 0.35f, Wave::Organ);
        b.pluck(t0 + 1.0f, 0.9f, noteHz(chords[c][0] - 24), 0.3f, 0.35f, Wave::Organ);
        for (int k = 0; k < 8; ++k) {
            const int note = chords[c][k % 3] + (k >= 4 ? 12 : 0);
            b.pluck(t0 + 0.25f * k, 0.5f, noteHz(note), 0.16f, 0.18f, Wave::Sine);
        }
    }
    return b;
}

// The game: E minor, slower, with a tune over pad and bass (80 beats a minute).
Buffer gameMusic() {
    Buffer b(12.0f, true);
    const float beat = 0.75f;
    const std::vector<std::vector<int>> chords = {{64, 67, 71}, {60, 64, 67}, {62, 66, 69}, {59, 62, 66}};
    for (size_t c = 0; c < chords.size(); ++c) {
        const float t0 = 4.0f * beat * c;
        pad(b, t0, 4.0f * beat + 0.3f, {chords[c][0] - 12, chords[c][1] - 12, chords[c][2] - 12}, 0.08f, Wave::Sine);
        b.pluck(t0, 1.4f, noteHz(chords[c][0] - 24), 0.35f, 0.5f, Wave::Organ);
        b.pluck(t0 + 2.0f * beat, 1.4f, noteHz(chords[c][0] - 17), 0.28f, 0.5f, Wave::Organ);
    }
    struct Note {
        float beat;
        int note;
        float beats;
    };
    const Note tune[] = {{0, 76, 1},  {1, 79, 1},  {2, 83, 2},  {4, 84, 1},  {5, 83, 1},  {6, 79, 2},
                         {8, 78, 1},  {9, 81, 1},  {10, 78, 1}, {11, 74, 1}, {12, 78, 2}, {14, 71, 2}};
    for (const Note& n : tune)
        b.tone(n.beat * beat, n.beats * beat, noteHz(n.note), noteHz(n.note), 0.12f, Wave::Organ, 0.03f,
               n.beats * beat * 0.5f, 0.01f);
    return b;
}

// Intro flight: A minor chords under soft bells, fading out.
Buffer introMusic() {
    Buffer b(8.0f, false);
    const std::vector<std::vector<int>> chords = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
    for (size_t c = 0; c < chords.size(); ++c) {
        const float t0 = 2.0f * c;
        pad(b, t0, c + 1 < chords.size() ? 2.3f : 2.0f, chords[c], 0.1f, Wave::Sine);
        for (int k = 0; k < 4; ++k)
            b.bell(t0 + 0.5f * k, std::min(1.2f, 8.0f - t0 - 0.5f * k), noteHz(chords[c][(k * 2) % 3] + 12), 0.08f,
                   {1.0f, 2.0f, 3.01f}, 0.5f);
    }
    return b;
}

// Logo: a rising drone and a wind sweep that settle on an open chord.
Buffer logoSound() {
    Buffer b(5.0f, false);
    b.tone(0.0f, 5.0f, noteHz(33), noteHz(33), 0.25f, Wave::Buzz, 1.5f, 1.5f);
    b.tone(0.0f, 5.0f, noteHz(40), noteHz(40), 0.15f, Wave::Buzz, 2.0f, 1.5f);
    b.noise(0.0f, 3.0f, 0.3f, 200.0f, 2500.0f, 2.5f, 0.5f);
    for (int n : {57, 64, 69}) b.bell(3.0f, 2.0f, noteHz(n), 0.12f, {1.0f, 2.0f, 3.0f}, 0.9f);
    return b;
}

// The lost game: a falling line that ends on a dark chord.
Buffer lostMusic() {
    Buffer b(4.0f, false);
    const int line[] = {69, 67, 65, 64};
    for (int k = 0; k < 4; ++k) b.pluck(0.4f * k, 0.8f, noteHz(line[k]), 0.3f, 0.3f, Wave::Organ);
    pad(b, 1.6f, 2.4f, {50, 53, 57, 62}, 0.12f);
    b.pluck(1.6f, 2.4f, noteHz(38), 0.4f, 0.8f, Wave::Organ);
    return b;
}

struct Sound {
    const char* file;
    Buffer (*make)();
    float peak;
};

}  // namespace

bool generateSounds(const std::string& out) {
    const Sound all[] = {
        {"sound/dwarf_walk.wav", dwarfWalk, 0.5f},    {"sound/dwarf_die.wav", dwarfDie, 0.7f},
        {"sound/dwarf_fight.wav", dwarfFight, 0.6f},  {"sound/dwarf_hurt.wav", dwarfHurt, 0.7f},
        {"sound/dwarf_snore.wav", dwarfSnore, 0.5f},  {"sound/dragon_fire.wav", dragonFire, 0.8f},
        {"sound/dragon_snarl.wav", dragonSnarl, 0.8f}, {"sound/dragon_logo.wav", dragonLogo, 0.8f},
        {"sound/wind2.wav", wind, 0.6f},              {"sound/bird.wav", bird, 0.5f},
        {"sound/ballon_ok.wav", balloonOk, 0.6f},     {"sound/switch.wav", menuSwitch, 0.5f},
        {"sound/enter.wav", menuEnter, 0.5f},         {"sound/lostgame.wav", lostMusic, 0.7f},
        {"sound/cloudforge.mp3", introMusic, 0.7f},   {"sound/DemoIntro.wav", logoSound, 0.7f},
        {"sound/valdrun.mp3", menuMusic, 0.7f},       {sounds::kGameMusic, gameMusic, 0.6f},
    };
    for (const Sound& s : all)
        if (!gen::writeWav(out + "/" + s.file, s.make().finish(s.peak), synth::kRate)) return false;
    return true;
}
