#pragma once
// TSound is the program's single sound object: it starts the sound library and
// keeps up to 30 samples and 15 music pieces in slots that are filled in order
// and never reused (a slot index is what the load call returned). The SOUND
// and MUSIC switches of "init.props" silence samples or music for every caller.

#include "platform/sound.h"

class TProperties;

// A loaded sample and the flag its loader passed (kept, not used).
struct TSampleRecord {
    FSOUND_SAMPLE* sample = nullptr;
    int flag = 0;
};

// A loaded music piece: a stream (kind 1) or a module (kind 0). channel is
// the channel the stream last started on. data is the stream's file image,
// kept as long as the stream.
struct TMusicRecord {
    FSOUND_STREAM* stream = nullptr;
    FMUSIC_MODULE* module = nullptr;
    int channel = 0;
    int kind = 0;
    char* data = nullptr;
};

class TSound {
public:
    static const int maxSamples = 30;
    static const int maxMusic = 15;

    // The single object, constructed on the first call. Never null (a sound
    // library that cannot start ends the process). Owned by this class.
    static TSound* getInstance();

    // Starts the sound library. A library older than 3.71 or one that fails to
    // start prints a line on standard output and ends the process (exit 1).
    // The program constructs it through getInstance only.
    TSound();
    // Frees every sample and music piece, then closes the library.
    virtual ~TSound();

    // Keeps the properties (not owned) and sets the switches: samples play only
    // with SOUND=ON, music only with MUSIC=ON.
    void readProperties(TProperties* properties);

    // Loads a sample; flag is kept with it. Returns its slot (0 to 29), or -1
    // when all slots are taken or the file cannot be loaded.
    int loadSound(const char* file, int flag);
    // Plays a slot's sample at a 3D position (velocity may be null) with
    // volume 0 to 255. Returns the channel, 0 with samples switched off, -1 for
    // an empty or bad slot.
    int playSound(int slot, const float* position, const float* velocity, int volume);
    // Plays a slot's sample without a position. Returns as playSound.
    int playSound2D(int slot);

    // Loads music: kind 0 a module, kind 1 a stream read whole into memory
    // (looping when loop is set). Returns its slot (0 to 14), or -1 with a log
    // line when all slots are taken or the file cannot be loaded.
    int loadMusic(int kind, const char* file, bool loop);
    // Starts a slot's music. -1 for a bad slot or a module that fails to start;
    // 0 with music switched off or for a started module; for a stream 1 when it
    // started and 0 when not.
    int playMusic(int slot);
    // Stops a slot's music. 0 on success, -1 on failure or for a bad slot.
    int stopMusic(int slot);
    // Steps the music volume by 5 within 0 to 255 and applies it to the slot's
    // music when the slot is valid. Return the volume as a fraction of 255.
    float musicVolumeUp(int slot);
    float musicVolumeDown(int slot);

    // The text for a sound library error code; "Unknown error" for others.
    // A static string.
    static const char* errorString(int code);
    // End-of-stream and sync-point callback handed to the library: only logs.
    static bool streamCallback(FSOUND_STREAM* stream, const char* syncPointName, int length, void* userData);

    // The current music (slot 0, the piece the shell loads from MUSIC0), which
    // the game and the menus stop; null when none was loaded.
    TMusicRecord* currentMusic() { return music[0]; }
    // Sets the volume (0 to 255) of a loaded piece as it plays: a module's
    // master volume, a stream's last channel. The stored step volume stays
    // as it is. Nothing for null.
    static void setPieceVolume(const TMusicRecord* record, int volume);

    int sampleCount;
    int musicCount;
    TSampleRecord* samples[maxSamples];
    TMusicRecord* music[maxMusic];
    TProperties* properties;
    int soundOn;
    int musicOn;
    int musicVolume;

private:
    bool validSample(int slot) const { return slot >= 0 && slot < maxSamples && samples[slot]; }
    bool validMusic(int slot) const { return slot >= 0 && slot < maxMusic && music[slot]; }
    bool openStream(TMusicRecord* record, const char* file, bool loop);

    static TSound* instance;
};
