// The sound library over SDL2_mixer: streams (decoded whole into a mixer
// chunk, each on a channel of its own) and modules (the mixer's one music
// slot).

#include <cstring>
#include <string>

#include "platform/crt.h"
#include "platform/sound.h"
#include "platform/sound_sdl_state.h"

using namespace soundsdl;

namespace soundsdl {

bool hasKnownFormat(SDL_RWops* in) {
    const Sint64 start = SDL_RWtell(in);
    unsigned char head[12] = {0};
    const size_t got = SDL_RWread(in, head, 1, sizeof head);
    SDL_RWseek(in, start, RW_SEEK_SET);
    if (got < 4) return false;
    if (got == sizeof head && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0) return true;
    if (std::memcmp(head, "ID3", 3) == 0) return true;
    if (head[0] == 0xff && (head[1] & 0xe0) == 0xe0) return true;  // an MPEG audio frame
    return std::memcmp(head, "OggS", 4) == 0 || std::memcmp(head, "fLaC", 4) == 0;
}

Mix_Chunk* decodeSound(SDL_RWops* in) {
    if (!in) return fail(FMOD_ERR_FILE_BAD), nullptr;
    if (!hasKnownFormat(in)) {
        SDL_RWclose(in);
        return fail(FMOD_ERR_FILE_FORMAT), nullptr;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(in, 1);
    if (!chunk) return fail(FMOD_ERR_FILE_FORMAT), nullptr;
    return chunk;
}

}  // namespace soundsdl

namespace {

Stream* findStream(FSOUND_STREAM* stream) {
    if (!state.open) return nullptr;
    auto it = state.streams.find(idOf(stream));
    return it == state.streams.end() ? nullptr : &it->second;
}

Module* findModule(FMUSIC_MODULE* module) {
    if (!state.open) return nullptr;
    auto it = state.modules.find(idOf(module));
    return it == state.modules.end() ? nullptr : &it->second;
}

bool failLookup() { return fail(state.open ? FMOD_ERR_INVALID_PARAM : FMOD_ERR_UNINITIALIZED); }

int toMusicVolume(int volume) { return (volume * MIX_MAX_VOLUME + 128) / 256; }

// Stops the stream's channel if that channel still plays this stream.
void stopStreamChannel(Stream& s) {
    int index = 0;
    if (s.channel != 0 && lookupChannel(s.channel, &index)) releaseChannel(index);
    s.channel = 0;
}

}  // namespace

// --- streams ---------------------------------------------------------------------

FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned mode, int, int length) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED), nullptr;
    if (!nameOrData) return fail(FMOD_ERR_INVALID_PARAM), nullptr;
    SDL_RWops* in = nullptr;
    if (mode & FSOUND_LOADMEMORY) {
        if (length <= 0) return fail(FMOD_ERR_INVALID_PARAM), nullptr;
        in = SDL_RWFromConstMem(nameOrData, length);
    } else {
        const std::string path = resolvePath(nameOrData);
        if (!isRegularFile(path)) return fail(FMOD_ERR_FILE_NOTFOUND), nullptr;
        in = SDL_RWFromFile(path.c_str(), "rb");
    }
    Mix_Chunk* chunk = decodeSound(in);
    if (!chunk) return nullptr;
    const uintptr_t id = state.nextId++;
    Stream& s = state.streams[id];
    s.chunk = chunk;
    s.looping = (mode & FSOUND_LOOP_NORMAL) != 0;
    return toHandle<FSOUND_STREAM>(id);
}

bool FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback, void* userData) {
    Stream* s = findStream(stream);
    if (!s) return failLookup();
    s->callback = callback;
    s->userData = userData;
    return true;
}

int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT* dspUnit, bool paused) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED), -1;
    deliverStreamEvents();
    Stream* s = findStream(stream);
    if (!s || dspUnit) return fail(FMOD_ERR_INVALID_PARAM), -1;
    stopStreamChannel(*s);
    const int index = claimChannel(channel);
    if (index < 0) return -1;
    ChannelSetup setup;
    setup.owner = Owner::stream;
    setup.ownerId = idOf(stream);
    setup.chunk = s->chunk;
    setup.looping = s->looping;
    const int handle = assignChannel(index, setup);
    s->channel = handle;
    if (!paused && !startChannel(index)) return -1;
    return handle;
}

bool FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    Stream* s = findStream(stream);
    if (!s) return failLookup();
    stopStreamChannel(*s);
    return true;
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    Stream* s = findStream(stream);
    if (!s) return failLookup();
    stopStreamChannel(*s);
    Mix_FreeChunk(s->chunk);
    state.streams.erase(idOf(stream));
    return true;
}

// --- modules -----------------------------------------------------------------------

FMUSIC_MODULE* FMUSIC_LoadSong(const char* fileName) {
    if (!state.open) return fail(FMOD_ERR_UNINITIALIZED), nullptr;
    if (!fileName) return fail(FMOD_ERR_INVALID_PARAM), nullptr;
    const std::string path = resolvePath(fileName);
    if (!isRegularFile(path)) return fail(FMOD_ERR_FILE_NOTFOUND), nullptr;
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (!music) return fail(FMOD_ERR_FILE_FORMAT), nullptr;
    const uintptr_t id = state.nextId++;
    state.modules[id].music = music;
    return toHandle<FMUSIC_MODULE>(id);
}

bool FMUSIC_PlaySong(FMUSIC_MODULE* module) {
    Module* m = findModule(module);
    if (!m) return failLookup();
    Mix_VolumeMusic(toMusicVolume(m->volume));
    if (Mix_PlayMusic(m->music, -1) != 0) {
        state.playingModule = 0;
        return fail(FMOD_ERR_PLAY);
    }
    state.playingModule = idOf(module);
    return true;
}

bool FMUSIC_StopSong(FMUSIC_MODULE* module) {
    if (!findModule(module)) return failLookup();
    if (state.playingModule == idOf(module)) {
        Mix_HaltMusic();
        state.playingModule = 0;
    }
    return true;
}

bool FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume) {
    Module* m = findModule(module);
    if (!m) return failLookup();
    m->volume = volume < 0 ? 0 : volume > 256 ? 256 : volume;
    if (state.playingModule == idOf(module)) Mix_VolumeMusic(toMusicVolume(m->volume));
    return true;
}

int FMUSIC_GetMasterVolume(FMUSIC_MODULE* module) {
    const Module* m = findModule(module);
    if (!m) {
        failLookup();
        return -1;
    }
    return m->volume;
}

bool FMUSIC_IsPlaying(FMUSIC_MODULE* module) {
    return findModule(module) && state.playingModule == idOf(module) && Mix_PlayingMusic();
}

bool FMUSIC_FreeSong(FMUSIC_MODULE* module) {
    Module* m = findModule(module);
    if (!m) return failLookup();
    if (state.playingModule == idOf(module)) {
        Mix_HaltMusic();
        state.playingModule = 0;
    }
    Mix_FreeMusic(m->music);
    state.modules.erase(idOf(module));
    return true;
}
