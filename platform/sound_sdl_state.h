#pragma once
// The sound layer's own state, shared by sound_sdl.cpp (device, samples,
// channels) and sound_sdl_music.cpp (streams, modules). Only the event
// counters are touched by the mixer's audio thread; all else belongs to the
// program's thread.

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "platform/sound.h"

namespace soundsdl {

constexpr int kMaxChannels = 256;           // a channel index fits the handle's low byte
constexpr unsigned kMaxSerial = 0x7fffff;   // keeps handles positive

// Per channel, written by the audio thread: how often the channel finished
// (or was halted) and how often a looping stream went round. The loop count
// comes from a mixer effect that adds up the bytes taken from the chunk.
struct ChannelEvents {
    std::atomic<unsigned> finished{0};
    std::atomic<unsigned> loops{0};
    long position = 0;      // audio thread only, while the effect is registered
    long chunkLength = 0;   // set before the effect is registered
};

enum class Owner { none, sample, stream };

struct Channel {
    unsigned serial = 0;
    Owner owner = Owner::none;
    uintptr_t ownerId = 0;
    Mix_Chunk* chunk = nullptr;
    bool looping = false;
    bool pending = false;   // started paused: handed to the mixer when unpaused
    int volume = 255;
    bool is3D = false;
    bool positioned = false;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
    unsigned seenFinished = 0;
    unsigned seenLoops = 0;
};

struct ChannelSetup {
    Owner owner = Owner::none;
    uintptr_t ownerId = 0;
    Mix_Chunk* chunk = nullptr;
    bool looping = false;
    bool is3D = false;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
};

struct Sample {
    Mix_Chunk* chunk = nullptr;
    unsigned mode = 0;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
};

struct Stream {
    Mix_Chunk* chunk = nullptr;
    bool looping = false;
    FSOUND_STREAMCALLBACK callback = nullptr;
    void* userData = nullptr;
    int channel = 0;        // handle of the channel it last started on, 0 when none
};

struct Module {
    Mix_Music* music = nullptr;
    int volume = 256;
};

struct Listener {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float forward[3] = {0.0f, 0.0f, 1.0f};
    float up[3] = {0.0f, 1.0f, 0.0f};
};

struct State {
    bool open = false;
    bool closeRegistered = false;
    bool delivering = false;
    int lastError = FMOD_ERR_NONE;
    int channelCount = 0;
    Channel channels[kMaxChannels];
    uintptr_t nextId = 1;   // handle ids are never reused
    std::map<uintptr_t, Sample> samples;
    std::map<uintptr_t, Stream> streams;
    std::map<uintptr_t, Module> modules;
    uintptr_t playingModule = 0;
    Listener listener;
};

extern State state;
extern ChannelEvents events[kMaxChannels];

template <class T>
T* toHandle(uintptr_t id) {
    return reinterpret_cast<T*>(id);
}
inline uintptr_t idOf(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

// Records the error code; returns false.
bool fail(int code);
bool isRegularFile(const std::string& path);
// True when the data starts like WAV, MP3, Ogg or FLAC; rewinds the source.
bool hasKnownFormat(SDL_RWops* in);
// The whole sound decoded from in, which is closed in every case. Null with
// the error recorded: FMOD_ERR_FILE_BAD for a null source,
// FMOD_ERR_FILE_FORMAT for data in no known format or that does not decode.
Mix_Chunk* decodeSound(SDL_RWops* in);

int handleOf(int index);
// The channel a valid handle names (and its index), or null.
Channel* lookupChannel(int handle, int* index);
// A channel for a new sound: the lowest free one for FSOUND_FREE, else the one
// asked for (stopping what it plays). -1 with the error recorded.
int claimChannel(int requested);
// Gives the channel a new serial and the sound to play, still held back;
// returns the new handle.
int assignChannel(int index, const ChannelSetup& setup);
// Hands a held-back channel to the mixer. False (channel released) on failure.
bool startChannel(int index);
// Stops the channel without reporting an end, and frees it.
void releaseChannel(int index);
// Calls the end callbacks of streams whose channels finished or looped.
void deliverStreamEvents();

}  // namespace soundsdl
