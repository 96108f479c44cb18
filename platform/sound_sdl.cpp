// The sound library over SDL2_mixer: the device, samples, channels and 3D.
// Streams and modules are in sound_sdl_music.cpp; the shared state is in
// sound_sdl_state.h.
//
// Threads: the mixer runs its own audio thread. That thread only bumps the
// per-channel event counters (finished, looped); everything else, the stream
// end callbacks included, happens on the program's thread inside these calls.

#include "platform/sound.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/crt.h"
#include "platform/sound_sdl_state.h"

namespace soundsdl {

State state;
ChannelEvents events[kMaxChannels];

namespace {

// Mixer callbacks: audio thread.
void onChannelFinished(int index) {
    if (index >= 0 && index < kMaxChannels) events[index].finished.fetch_add(1);
}

// Counts the restarts of a looping channel from the bytes the mixer takes from
// its chunk: every full pass through the chunk is one restart.
void countLoops(int, void*, int length, void* userData) {
    ChannelEvents* e = static_cast<ChannelEvents*>(userData);
    if (e->chunkLength <= 0) return;
    e->position += length;
    while (e->position >= e->chunkLength) {
        e->position -= e->chunkLength;
        e->loops.fetch_add(1);
    }
}

void closeAtExit() { FSOUND_Close(); }

bool openDevice(int mixRate, std::string& reason) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(mixRate, AUDIO_S16SYS, 2, 1024) != 0) {
        reason = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

float dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross3(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Scales to unit length; false (and untouched) for a zero or non-finite vector.
bool normalize3(float* v) {
    const float length = std::sqrt(dot3(v, v));
    if (!(length > 1e-6f) || !std::isfinite(length)) return false;
    for (int k = 0; k < 3; ++k) v[k] /= length;
    return true;
}

}  // namespace

bool fail(int code) {
    state.lastError = code;
    return false;
}

bool isRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool channelIsFree(int index) {
    return !state.channels[index].pending && Mix_Playing(index) == 0;
}

Channel* lookupChannel(int handle, int* index) {
    if (!state.open || handle <= 0) return nullptr;
    const int i = handle & 0xff;
    if (i >= state.channelCount) return nullptr;
    Channel& c = state.channels[i];
    if (c.owner == Owner::none || c.serial != static_cast<unsigned>(handle) >> 8) return nullptr;
    if (index) *index = i;
    return &c;
}

void releaseChannel(int index) {
    Channel& c = state.channels[index];
    if (!c.pending && Mix_Playing(index)) Mix_HaltChannel(index);
    // Halting fires the finish event synchronously: it is not an end to report.
    c.seenFinished = events[index].finished.load();
    c.seenLoops = events[index].loops.load();
    if (c.owner == Owner::stream) {
        auto it = state.streams.find(c.ownerId);
        if (it != state.streams.end() && it->second.channel == handleOf(index)) it->second.channel = 0;
    }
    c.owner = Owner::none;
    c.ownerId = 0;
    c.chunk = nullptr;
    c.pending = false;
}

int handleOf(int index) {
    return static_cast<int>((state.channels[index].serial << 8) | static_cast<unsigned>(index));
}

int claimChannel(int requested) {
    if (requested == FSOUND_FREE) {
        for (int i = 0; i < state.channelCount; ++i)
            if (channelIsFree(i)) return i;
        fail(FMOD_ERR_CHANNEL_ALLOC);
        return -1;
    }
    if (requested < 0 || requested >= state.channelCount) {
        fail(FMOD_ERR_INVALID_PARAM);
        return -1;
    }
    releaseChannel(requested);
    return requested;
}

int assignChannel(int index, const ChannelSetup& setup) {
    Channel& c = state.channels[index];
    c.serial = c.serial >= kMaxSerial ? 1 : c.serial + 1;
    c.owner = setup.owner;
    c.ownerId = setup.ownerId;
    c.chunk = setup.chunk;
    c.looping = setup.looping;
    c.is3D = setup.is3D;
    c.positioned = false;
    c.minDistance = setup.minDistance;
    c.maxDistance = setup.maxDistance;
    c.volume = 255;
    c.pending = true;
    c.seenFinished = events[index].finished.load();
    c.seenLoops = events[index].loops.load();
    return handleOf(index);
}

int toMixerVolume(int volume) { return (volume * MIX_MAX_VOLUME + 127) / 255; }

void applyPosition(int index) {
    const Channel& c = state.channels[index];
    if (!c.positioned) {
        Mix_SetPosition(index, 0, 0);  // removes any placement: centred, unattenuated
        return;
    }
    const Listener& l = state.listener;
    float relative[3];
    for (int k = 0; k < 3; ++k) relative[k] = c.position[k] - l.position[k];
    const float distance = std::sqrt(dot3(relative, relative));
    const float clamped = distance < c.minDistance ? c.minDistance
                          : distance > c.maxDistance ? c.maxDistance
                                                     : distance;
    const float gain = std::isfinite(clamped) ? c.minDistance / clamped : 1.0f;
    float right[3];
    cross3(l.up, l.forward, right);
    const float across = dot3(relative, right);
    const float ahead = dot3(relative, l.forward);
    int angle = 0;
    if (std::isfinite(across) && std::isfinite(ahead) && (across != 0.0f || ahead != 0.0f)) {
        angle = static_cast<int>(std::lround(std::atan2(across, ahead) * 180.0 / M_PI));
        if (angle < 0) angle += 360;
        if (angle >= 360) angle -= 360;
    }
    long attenuation = std::lround((1.0f - gain) * 255.0f);
    if (attenuation < 0) attenuation = 0;
    if (attenuation > 255) attenuation = 255;
    Mix_SetPosition(index, static_cast<Sint16>(angle), static_cast<Uint8>(attenuation));
}

bool startChannel(int index) {
    Channel& c = state.channels[index];
    ChannelEvents& e = events[index];
    Mix_UnregisterAllEffects(index);
    if (c.looping && c.owner == Owner::stream) {
        e.position = 0;
        e.chunkLength = static_cast<long>(c.chunk->alen);
        Mix_RegisterEffect(index, countLoops, nullptr, &e);
    }
    applyPosition(index);
    Mix_Volume(index, toMixerVolume(c.volume));
    c.pending = false;
    if (Mix_PlayChannel(index, c.chunk, c.looping ? -1 : 0) < 0) {
        Mix_UnregisterAllEffects(index);
        releaseChannel(index);
        return fail(FMOD_ERR_PLAY);
    }
    return true;
}

void deliverStreamEvents() {
    if (!state.open || state.delivering) return;
    state.delivering = true;
    struct Due {
        uintptr_t stream;
        unsigned count;
    };
    std::vector<Due> due;
    for (int i = 0; i < state.channelCount; ++i) {
        Channel& c = state.channels[i];
        const unsigned finished = events[i].finished.load();
        const unsigned loops = events[i].loops.load();
        unsigned count = 0;
        if (c.owner == Owner::stream) {
            count += loops - c.seenLoops;
            if (finished != c.seenFinished && !c.looping) ++count;
        }
        c.seenFinished = finished;
        c.seenLoops = loops;
        if (count > 0) due.push_back(Due{c.ownerId, count});
    }
    // Callbacks may call back into the layer (even close the stream), so each
    // one looks its stream up again.
    for (const Due& d : due) {
        for (unsigned n = 0; n < d.count; ++n) {
            auto it = state.streams.find(d.stream);
            if (it == state.streams.end() || !it->second.callback) break;
            it->second.callback(toHandle<FSOUND_STREAM>(d.stream), nullptr, 0, it->second.userData);
        }
    }
    state.delivering = false;
}

}  // namespace soundsdl

using namespace soundsdl;

// --- library -------------------------------------------------------------------

float FSOUND_GetVersion() {
    const char* text = std::getenv("GAME_SOUND_VERSION");
    if (text && *text) {
        char* end = nullptr;
        const float value = std::strtof(text, &end);
        if (end != text && std::isfinite(value)) return value;
    }
    return 3.71f;
}

bool FSOUND_Init(int mixRate, int maxChannels, unsigned) {
    if (state.open) return fail(FMOD_ERR_BUSY);
    if (mixRate <= 0 || maxChannels <= 0) return fail(FMOD_ERR_INVALID_PARAM);
    const char* chosen = SDL_GetHint(SDL_HINT_AUDIODRIVER);  // the hint or the environment
    const bool explicitDriver = chosen && *chosen;
    std::string reason;
    if (!openDevice(mixRate, reason)) {
        if (explicitDriver) return fail(FMOD_ERR_INIT);
        std::fprintf(stderr, "Sound: no audio device opens (%s); playing on the dummy driver\n", reason.c_str());
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        if (!openDevice(mixRate, reason)) return fail(FMOD_ERR_INIT);
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MOD);
    state.channelCount = Mix_AllocateChannels(maxChannels > kMaxChannels ? kMaxChannels : maxChannels);
    Mix_ChannelFinished(onChannelFinished);
    for (int i = 0; i < kMaxChannels; ++i) {
        Channel& c = state.channels[i];
        c.owner = Owner::none;
        c.pending = false;
        c.chunk = nullptr;
    }
    state.listener = Listener();
    state.playingModule = 0;
    state.open = true;
    if (!state.closeRegistered) {
        state.closeRegistered = true;
        std::atexit(closeAtExit);
    }
    return true;
}

void FSOUND_Close() {
    if (!state.open) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (int i = 0; i < state.channelCount; ++i) {
        Mix_UnregisterAllEffects(i);
        Channel& c = state.channels[i];
        c.owner = Owner::none;
        c.pending = false;
        c.chunk = nullptr;
    }
    for (auto& s : state.samples) Mix_FreeChunk(s.second.chunk);
    for (auto& s : state.streams) Mix_FreeChunk(s.second.chunk);
    for (auto& m : state.modules) Mix_FreeMusic(m.second.music);
    state.samples.clear();
    state.streams.clear();
    state.modules.clear();
    state.playingModule = 0;
    Mix_ChannelFinished(nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    state.open = false;
}

int FSOUND_GetError() { return state.lastError; }
bool FSOUND_SetOutput(int) { return true; }
bool FSOUND_SetDriver(int) { return true; }
bool FSOUND_Stream_SetBufferSize(int) { return true; }
int FSOUND_GetNumHardwareChannels() { return 0; }
int FSOUND_GetChannelsPlaying() { return state.open ? Mix_Playing(-1) : 0; }

bool FSOUND_3D_Listener_SetAttributes(const float* position, const float*, float forwardX, float forwardY,
                                      float forwardZ, float upX, float upY, float upZ) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED);
    Listener& l = state.listener;
    if (position) {
        for (int k = 0; k < 3; ++k) l.position[k] = std::isfinite(position[k]) ? position[k] : 0.0f;
    }
    float forward[3] = {forwardX, forwardY, forwardZ};
    float up[3] = {upX, upY, upZ};
    float right[3];
    cross3(up, forward, right);
    // A degenerate frame keeps the previous orientation.
    if (normalize3(forward) && normalize3(right)) {
        for (int k = 0; k < 3; ++k) l.forward[k] = forward[k];
        cross3(forward, right, l.up);
    }
    return true;
}

bool FSOUND_3D_Listener_GetAttributes(float* position, float* velocity, float* forwardX, float* forwardY,
                                      float* forwardZ, float* upX, float* upY, float* upZ) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED);
    const Listener& l = state.listener;
    for (int k = 0; k < 3; ++k) {
        if (position) position[k] = l.position[k];
        if (velocity) velocity[k] = 0.0f;
    }
    float* out[6] = {forwardX, forwardY, forwardZ, upX, upY, upZ};
    const float values[6] = {l.forward[0], l.forward[1], l.forward[2], l.up[0], l.up[1], l.up[2]};
    for (int k = 0; k < 6; ++k) {
        if (out[k]) *out[k] = values[k];
    }
    return true;
}

void FSOUND_Update() {
    if (!state.open) return;
    for (int i = 0; i < state.channelCount; ++i) {
        const Channel& c = state.channels[i];
        if (c.owner != Owner::none && c.positioned && !c.pending && Mix_Playing(i)) applyPosition(i);
    }
    deliverStreamEvents();
}

// --- samples -------------------------------------------------------------------

FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char* fileName, unsigned mode, int, int) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED), nullptr;
    if (!fileName) return fail(FMOD_ERR_INVALID_PARAM), nullptr;
    const std::string path = resolvePath(fileName);
    if (!isRegularFile(path)) return fail(FMOD_ERR_FILE_NOTFOUND), nullptr;
    Mix_Chunk* chunk = decodeSound(SDL_RWFromFile(path.c_str(), "rb"));
    if (!chunk) return nullptr;
    const uintptr_t id = state.nextId++;
    Sample& s = state.samples[id];
    s.chunk = chunk;
    s.mode = mode;
    return toHandle<FSOUND_SAMPLE>(id);
}

bool FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode) {
    auto it = state.samples.find(idOf(sample));
    if (!state.open || it == state.samples.end()) return fail(FMOD_ERR_INVALID_PARAM);
    it->second.mode = mode;
    return true;
}

bool FSOUND_Sample_SetMinMaxDistance(FSOUND_SAMPLE* sample, float minDistance, float maxDistance) {
    auto it = state.samples.find(idOf(sample));
    if (!state.open || it == state.samples.end()) return fail(FMOD_ERR_INVALID_PARAM);
    if (!(minDistance > 0.0f) || !std::isfinite(minDistance) || std::isnan(maxDistance))
        return fail(FMOD_ERR_INVALID_PARAM);
    it->second.minDistance = minDistance;
    it->second.maxDistance = maxDistance < minDistance ? minDistance : maxDistance;
    return true;
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    auto it = state.samples.find(idOf(sample));
    if (!state.open || it == state.samples.end()) return;
    for (int i = 0; i < state.channelCount; ++i) {
        const Channel& c = state.channels[i];
        if (c.owner == Owner::sample && c.ownerId == it->first) releaseChannel(i);
    }
    Mix_FreeChunk(it->second.chunk);
    state.samples.erase(it);
}

// --- channels --------------------------------------------------------------------

int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sample, FSOUND_DSPUNIT* dspUnit, bool paused) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED), -1;
    deliverStreamEvents();
    auto it = state.samples.find(idOf(sample));
    if (it == state.samples.end() || dspUnit) return fail(FMOD_ERR_INVALID_PARAM), -1;
    const int index = claimChannel(channel);
    if (index < 0) return -1;
    const Sample& s = it->second;
    ChannelSetup setup;
    setup.owner = Owner::sample;
    setup.ownerId = it->first;
    setup.chunk = s.chunk;
    setup.looping = (s.mode & FSOUND_LOOP_NORMAL) != 0;
    setup.is3D = (s.mode & FSOUND_HW3D) != 0;
    setup.minDistance = s.minDistance;
    setup.maxDistance = s.maxDistance;
    const int handle = assignChannel(index, setup);
    if (!paused && !startChannel(index)) return -1;
    return handle;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    return FSOUND_PlaySoundEx(channel, sample, nullptr, false);
}

bool FSOUND_3D_SetAttributes(int channel, const float* position, const float*) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c || !c->is3D) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    if (position) {
        for (int k = 0; k < 3; ++k) c->position[k] = std::isfinite(position[k]) ? position[k] : 0.0f;
    }
    c->positioned = true;
    if (!c->pending) applyPosition(index);
    return true;
}

bool FSOUND_SetPaused(int channel, bool paused) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    if (c->pending) return paused ? true : startChannel(index);
    if (paused)
        Mix_Pause(index);
    else
        Mix_Resume(index);
    return true;
}

bool FSOUND_GetPaused(int channel) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    return c->pending || (Mix_Playing(index) && Mix_Paused(index));
}

bool FSOUND_SetVolume(int channel, int volume) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    c->volume = volume < 0 ? 0 : volume > 255 ? 255 : volume;
    if (!c->pending) Mix_Volume(index, toMixerVolume(c->volume));
    return true;
}

int FSOUND_GetVolume(int channel) {
    Channel* c = lookupChannel(channel, nullptr);
    if (!c) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED), 0;
    return c->volume;
}

bool FSOUND_IsPlaying(int channel) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c) return false;
    return c->pending || Mix_Playing(index) != 0;
}

bool FSOUND_StopSound(int channel) {
    int index = 0;
    Channel* c = lookupChannel(channel, &index);
    if (!c) return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED);
    releaseChannel(index);
    return true;
}
