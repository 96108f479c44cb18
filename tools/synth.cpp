#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

constexpr float kTwoPi = 6.28318531f;

float waveAt(Wave wave, float phase) {
    const float s = std::sin(phase);
    switch (wave) {
        case Wave::Sine: return s;
        case Wave::Organ: return 0.7f * s + 0.25f * std::sin(2.0f * phase) + 0.12f * std::sin(3.0f * phase);
        case Wave::Buzz: {
            float v = 0.0f;
            for (int k = 1; k <= 8; ++k) v += std::sin(k * phase) / k;
            return 0.6f * v;
        }
        case Wave::Square:
            return 0.8f * (s + std::sin(3.0f * phase) / 3.0f + std::sin(5.0f * phase) / 5.0f);
    }
    return s;
}

}  // namespace

float noteHz(int note) { return 440.0f * std::pow(2.0f, (note - 69) / 12.0f); }

Buffer::Buffer(float seconds, bool looping)
    : data_(static_cast<size_t>(seconds * kRate), 0.0f), looping_(looping), rng_(0x50d5ull) {}

void Buffer::add(long index, float value) {
    const long n = static_cast<long>(data_.size());
    if (looping_) index = ((index % n) + n) % n;
    if (index >= 0 && index < n) data_[static_cast<size_t>(index)] += value;
}

float Buffer::envelope(float t, float length, float attack, float release) const {
    float e = 1.0f;
    if (attack > 0.0f && t < attack) e = t / attack;
    if (release > 0.0f && t > length - release) e = std::min(e, std::max(0.0f, (length - t) / release));
    return e;
}

void Buffer::tone(float start, float length, float hz, float hzEnd, float amp, Wave wave, float attack,
                  float release, float vibrato) {
    const long first = static_cast<long>(start * kRate);
    const long count = static_cast<long>(length * kRate);
    float phase = 0.0f;
    for (long i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / kRate;
        float f = hz + (hzEnd - hz) * (t / length);
        f *= 1.0f + vibrato * std::sin(kTwoPi * 5.5f * t);
        phase += kTwoPi * f / kRate;
        if (phase > kTwoPi) phase -= kTwoPi;
        add(first + i, amp * envelope(t, length, attack, release) * waveAt(wave, phase));
    }
}

void Buffer::pluck(float start, float length, float hz, float amp, float decay, Wave wave) {
    const long first = static_cast<long>(start * kRate);
    const long count = static_cast<long>(length * kRate);
    for (long i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / kRate;
        const float e = std::exp(-t / decay) * envelope(t, length, 0.004f, 0.02f);
        add(first + i, amp * e * waveAt(wave, kTwoPi * hz * t));
    }
}

void Buffer::noise(float start, float length, float amp, float cutoff, float cutoffEnd, float attack, float release,
                   float tremolo) {
    const long first = static_cast<long>(start * kRate);
    const long count = static_cast<long>(length * kRate);
    float low = 0.0f;
    for (long i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / kRate;
        const float fc = cutoff + (cutoffEnd - cutoff) * (t / length);
        const float a = 1.0f - std::exp(-kTwoPi * fc / kRate);
        low += a * (rng_.range(-1.0f, 1.0f) - low);
        float e = envelope(t, length, attack, release);
        if (tremolo > 0.0f) e *= 0.5f + 0.5f * std::sin(kTwoPi * tremolo * t);
        add(first + i, amp * e * low * 2.0f);
    }
}

void Buffer::bell(float start, float length, float hz, float amp, const std::vector<float>& ratios, float decay) {
    const long first = static_cast<long>(start * kRate);
    const long count = static_cast<long>(length * kRate);
    for (long i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / kRate;
        float v = 0.0f;
        for (size_t k = 0; k < ratios.size(); ++k)
            v += std::sin(kTwoPi * hz * ratios[k] * t) * std::exp(-t * (1.0f + k) / decay) / (1.0f + 0.5f * k);
        add(first + i, amp * v * envelope(t, length, 0.002f, 0.02f));
    }
}

std::vector<int16_t> Buffer::finish(float peak) const {
    float top = 1.0e-6f;
    for (float v : data_) top = std::max(top, std::fabs(v));
    const float scale = peak * 32767.0f / top;
    std::vector<int16_t> out(data_.size());
    for (size_t i = 0; i < data_.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::min(32767.0f, std::max(-32767.0f, data_[i] * scale))));
    return out;
}

}  // namespace synth
