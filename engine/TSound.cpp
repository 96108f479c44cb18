#include "engine/TSound.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "engine/Log.h"
#include "engine/TProperties.h"
#include "platform/crt.h"

TSound* TSound::instance = nullptr;

namespace {

const unsigned sampleLoadMode = FSOUND_16BITS | FSOUND_SIGNED | FSOUND_MONO;           // 0x130
const unsigned sampleMode = FSOUND_HW3D | FSOUND_LOOP_OFF;                             // 0x1001
const unsigned streamMode = FSOUND_MPEGACCURATE | FSOUND_LOADMEMORY | sampleLoadMode;  // 0x28130

// Reads a whole file in binary mode into a new block (owned by the caller).
// False when it cannot be opened or read.
bool readWholeFile(const char* file, char** data, int* length) {
    const int fd = file ? _open(file, _O_RDONLY | _O_BINARY) : -1;
    if (fd < 0) return false;
    const long size = _filelength(fd);
    bool ok = size >= 0 && size < INT_MAX;
    if (ok) {
        *data = new char[size > 0 ? size : 1];
        long done = 0;
        while (ok && done < size) {
            const int got = _read(fd, *data + done, static_cast<unsigned>(size - done));
            ok = got > 0;
            if (ok) done += got;
        }
        *length = static_cast<int>(size);
    }
    _close(fd);
    return ok;
}

}  // namespace

TSound* TSound::getInstance() {
    if (!instance) instance = new TSound();
    return instance;
}

TSound::TSound()
    : sampleCount(0),
      musicCount(0),
      samples{},
      music{},
      properties(nullptr),
      soundOn(1),
      musicOn(1),
      musicVolume(100) {
    logOut() << "Number of available hardware mixed 3d channels: " << FSOUND_GetNumHardwareChannels() << "\n";
    logFlush();
    if (FSOUND_GetVersion() < 3.71f) {
        std::printf("Error : You are using the wrong DLL version!  You should be using FMOD %.02f\n", 3.71);
        logFlush();
        std::exit(1);
    }
    if (!FSOUND_Init(32000, 64, 0)) {
        std::printf("%s\n", errorString(FSOUND_GetError()));
        logFlush();
        std::exit(1);
    }
    FSOUND_SetOutput(1);
    FSOUND_SetDriver(0);
    FSOUND_Stream_SetBufferSize(1000);
    logOut() << "Number of active channels: " << FSOUND_GetChannelsPlaying() << "\n";
    logFlush();
}

TSound::~TSound() {
    for (TSampleRecord*& record : samples) {
        if (!record) continue;
        FSOUND_Sample_Free(record->sample);
        delete record;
        record = nullptr;
    }
    for (TMusicRecord*& record : music) {
        if (!record) continue;
        if (record->stream) FSOUND_Stream_Close(record->stream);
        if (record->module) FMUSIC_FreeSong(record->module);
        delete[] record->data;
        delete record;
        record = nullptr;
    }
    FSOUND_Close();
    if (instance == this) instance = nullptr;
}

void TSound::readProperties(TProperties* props) {
    properties = props;
    if (!props) return;
    soundOn = props->isValue("SOUND", "ON") ? 1 : 0;
    musicOn = props->isValue("MUSIC", "ON") ? 1 : 0;
}

// --- samples -------------------------------------------------------------------

int TSound::loadSound(const char* file, int flag) {
    if (sampleCount >= maxSamples) return -1;
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, file, sampleLoadMode, 0, 0);
    if (!sample) return -1;
    FSOUND_Sample_SetMode(sample, sampleMode);
    FSOUND_Sample_SetMinMaxDistance(sample, 5.0f, 300.0f);
    TSampleRecord* record = new TSampleRecord();
    record->sample = sample;
    record->flag = flag;
    samples[sampleCount] = record;
    return sampleCount++;
}

int TSound::playSound(int slot, const float* position, const float* velocity, int volume) {
    if (!validSample(slot)) return -1;
    if (!soundOn) return 0;
    const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, samples[slot]->sample, nullptr, true);
    FSOUND_3D_SetAttributes(channel, position, velocity);
    logOut() << "channel (playSound): " << channel << "\n";
    logFlush();
    FSOUND_SetPaused(channel, false);
    FSOUND_SetVolume(channel, volume);
    return channel;
}

int TSound::playSound2D(int slot) {
    if (!validSample(slot)) return -1;
    if (!soundOn) return 0;
    return FSOUND_PlaySound(FSOUND_FREE, samples[slot]->sample);
}

// --- music -------------------------------------------------------------------------

int TSound::loadMusic(int kind, const char* file, bool loop) {
    if (musicCount >= maxMusic) return -1;
    TMusicRecord* record = new TMusicRecord();
    record->kind = kind;
    bool loaded = false;
    if (kind == 0) {
        logWrite("Lade music objekt.");
        record->module = FMUSIC_LoadSong(file);
        loaded = record->module != nullptr;
        if (!loaded) logWrite(errorString(FSOUND_GetError()));
    } else if (kind == 1) {
        loaded = openStream(record, file, loop);
    } else {
        logOut() << "Music '" << (file ? file : "") << "': unknown kind " << kind << ", not loaded\n";
        logFlush();
    }
    if (!loaded) {
        delete[] record->data;
        delete record;
        return -1;
    }
    music[musicCount] = record;
    return musicCount++;
}

// A missing stream file leaves the library running: only this piece is
// missing, the rest of the sound plays on.
bool TSound::openStream(TMusicRecord* record, const char* file, bool loop) {
    int length = 0;
    if (!readWholeFile(file, &record->data, &length)) {
        logWrite("Fehler beim Laden von music file.\n");
        return false;
    }
    const unsigned mode = streamMode | (loop ? FSOUND_LOOP_NORMAL : 0u);
    record->stream = FSOUND_Stream_Open(record->data, mode, 0, length);
    if (!record->stream) {
        logWrite("Fehler beim oeffnen von stream.");
        return false;
    }
    FSOUND_Stream_SetEndCallback(record->stream, streamCallback, nullptr);
    return true;
}

int TSound::playMusic(int slot) {
    if (!validMusic(slot)) return -1;
    if (!musicOn) return 0;
    TMusicRecord* record = music[slot];
    if (record->kind == 0) {
        if (FMUSIC_PlaySong(record->module)) return 0;
        logWrite(errorString(FSOUND_GetError()));
        return -1;
    }
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, record->stream, nullptr, true);
    FSOUND_SetVolume(channel, 100);
    logOut() << "channel (playMusic): " << channel << "\n";
    logFlush();
    record->channel = channel;
    return FSOUND_SetPaused(channel, false) ? 1 : 0;
}

int TSound::stopMusic(int slot) {
    if (!validMusic(slot)) return -1;
    const TMusicRecord* record = music[slot];
    const bool stopped = record->kind == 0 ? FMUSIC_StopSong(record->module) : FSOUND_Stream_Stop(record->stream);
    return stopped ? 0 : -1;
}

// The volume is stored before the slot is looked at, so a bad slot still
// changes it.
float TSound::musicVolumeUp(int slot) {
    if (musicVolume + 5 <= 255) {
        musicVolume += 5;
        if (validMusic(slot)) setPieceVolume(music[slot], musicVolume);
    }
    return musicVolume * (1.0f / 255.0f);
}

float TSound::musicVolumeDown(int slot) {
    if (musicVolume - 5 >= 0) {
        musicVolume -= 5;
        if (validMusic(slot)) setPieceVolume(music[slot], musicVolume);
    }
    return musicVolume * (1.0f / 255.0f);
}

void TSound::setPieceVolume(const TMusicRecord* record, int volume) {
    if (!record) return;
    if (record->kind == 0)
        FMUSIC_SetMasterVolume(record->module, volume);
    else
        FSOUND_SetVolume(record->channel, volume);
}

// --- library texts and callback ------------------------------------------------

const char* TSound::errorString(int code) {
    static const char* const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    const int count = static_cast<int>(sizeof texts / sizeof texts[0]);
    return code >= 0 && code < count ? texts[code] : "Unknown error";
}

// Called by the sound library on the program's own thread (from its update
// and play calls), so writing the log here is safe.
bool TSound::streamCallback(FSOUND_STREAM*, const char* syncPointName, int, void*) {
    if (syncPointName) {
        logWrite("synchpoint\n");
        std::printf("\nSYNCHPOINT : \"%s\"\n", syncPointName);
    } else {
        logWrite("stream ended and restarted.\n");
    }
    return true;
}
