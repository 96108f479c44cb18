#pragma once
// A small synthesiser for the generated sounds: voices are mixed into a float
// buffer of fixed length and turned into 16-bit samples at the end. A looping
// buffer wraps every voice's tail around to its start, so the piece loops
// without a click.

#include <cstdint>
#include <vector>

#include "common.h"

namespace synth {

constexpr int kRate = 22050;

enum class Wave { Sine, Organ, Buzz, Square };

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
float noteHz(int note);

class Buffer {
public:
    Buffer(float seconds, bool looping);

    // A tone from `start` for `length` seconds, gliding from `hz` to `hzEnd`,
    // with linear attack and release (seconds) inside its length. `vibrato`
    // is a depth as a fraction of the frequency (at 5.5 Hz).
    void tone(float start, float length, float hz, float hzEnd, float amp, Wave wave, float attack, float release,
              float vibrato = 0.0f);
    // A plucked tone: fast attack and an exponential decay with time constant `decay`.
    void pluck(float start, float length, float hz, float amp, float decay, Wave wave);
    // Noise through a low-pass filter whose cutoff glides from `cutoff` to
    // `cutoffEnd` Hz; `tremolo` (Hz) chops it when above zero.
    void noise(float start, float length, float amp, float cutoff, float cutoffEnd, float attack, float release,
               float tremolo = 0.0f);
    // A struck metal or bell: decaying partials at the given ratios of `hz`.
    void bell(float start, float length, float hz, float amp, const std::vector<float>& ratios, float decay);

    // The mix scaled so its peak is `peak` of full scale.
    std::vector<int16_t> finish(float peak) const;

private:
    void add(long index, float value);
    float envelope(float t, float length, float attack, float release) const;

    std::vector<float> data_;
    bool looping_;
    gen::Rng rng_;
};

}  // namespace synth
