#pragma once
// The sound library the game talks to, over SDL2_mixer: samples and streams
// play on the mixer's channels (samples optionally placed in 3D around one
// listener), and one module at a time plays in the mixer's music slot. Every
// call belongs to the program's own thread; the stream end callback is
// delivered there too, from FSOUND_Update and from the play calls.
//
// Handles (FSOUND_SAMPLE*, FSOUND_STREAM*, FMUSIC_MODULE*) are opaque ids that
// the layer never dereferences: a handle that was freed, or that outlived
// FSOUND_Close, is simply not found, and the call fails quietly.

struct FSOUND_SAMPLE;
struct FSOUND_STREAM;
struct FMUSIC_MODULE;
struct FSOUND_DSPUNIT;

// Called when a stream reaches its end (a looping stream: at every restart),
// with a null syncPointName; a sync point would pass its name. The return
// value is ignored.
typedef bool (*FSOUND_STREAMCALLBACK)(FSOUND_STREAM* stream, const char* syncPointName, int length,
                                      void* userData);

// Error codes reported by FSOUND_GetError.
enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,              // called again after FSOUND_Init
    FMOD_ERR_UNINITIALIZED = 2,     // FSOUND_Init not called (or FSOUND_Close called)
    FMOD_ERR_INIT = 3,              // the output device could not be opened
    FMOD_ERR_ALLOCATED = 4,
    FMOD_ERR_PLAY = 5,              // the mixer refused to start the sound
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVELEVEL = 7,
    FMOD_ERR_CREATEBUFFER = 8,
    FMOD_ERR_FILE_NOTFOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,      // the data could not be decoded
    FMOD_ERR_FILE_BAD = 11,
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_VERSION = 13,
    FMOD_ERR_INVALID_PARAM = 14,    // unknown handle, stale channel, bad argument
    FMOD_ERR_NO_EAX = 15,
    FMOD_ERR_CHANNEL_ALLOC = 16,    // no free channel
    FMOD_ERR_RECORD = 17,
    FMOD_ERR_MEDIAPLAYER = 18,
};

// Channel arguments: any free channel; sample index: a sample the caller
// manages itself.
inline constexpr int FSOUND_FREE = -1;
inline constexpr int FSOUND_UNMANAGED = -2;

// Mode bits. The game passes 0x130 (16 bits, signed, mono) to load samples,
// 0x1001 (hardware 3D, loop off) to set their mode, and 0x28130 (plus
// FSOUND_LOOP_NORMAL to loop) to open a stream from memory. Only the loop,
// 3D and memory bits change what the layer does; the data's own format wins.
inline constexpr unsigned FSOUND_LOOP_OFF = 0x00001;
inline constexpr unsigned FSOUND_LOOP_NORMAL = 0x00002;
inline constexpr unsigned FSOUND_16BITS = 0x00010;
inline constexpr unsigned FSOUND_MONO = 0x00020;
inline constexpr unsigned FSOUND_SIGNED = 0x00100;
inline constexpr unsigned FSOUND_HW3D = 0x01000;
inline constexpr unsigned FSOUND_LOADMEMORY = 0x08000;
inline constexpr unsigned FSOUND_MPEGACCURATE = 0x20000;

// --- library ----------------------------------------------------------------
// 3.71, or the value of the environment variable GAME_SOUND_VERSION when it
// holds a number (so a wrong version can be tried out).
float FSOUND_GetVersion();
// Opens the audio device (mixRate Hz, stereo) with maxChannels mixer channels
// (1 to 256). When no device opens and SDL_AUDIODRIVER was not set, plays on
// SDL's dummy driver after one line on standard error. False on failure
// (FMOD_ERR_INIT; FMOD_ERR_BUSY when already open). flags are ignored.
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
// Stops and frees every sample, stream and module, then closes the device.
// Afterwards every call fails quietly with FMOD_ERR_UNINITIALIZED until the
// next FSOUND_Init; handles from before stay invalid for good.
void FSOUND_Close();
// The code of the last failure (FMOD_ERRORS).
int FSOUND_GetError();
// Output type, driver and stream buffer length: there is one output here, so
// these are accepted and ignored. They return true.
bool FSOUND_SetOutput(int outputType);
bool FSOUND_SetDriver(int driver);
bool FSOUND_Stream_SetBufferSize(int milliseconds);
// Hardware channels: always 0 (all mixing is in software).
int FSOUND_GetNumHardwareChannels();
// Channels playing now (paused ones included); 0 when not open.
int FSOUND_GetChannelsPlaying();
// The 3D listener: position, velocity (ignored; either may be null to keep the
// old value), forward and up directions. Positions of 3D channels are heard
// relative to it. False when not open.
bool FSOUND_3D_Listener_SetAttributes(const float* position, const float* velocity, float forwardX,
                                      float forwardY, float forwardZ, float upX, float upY, float upZ);
// The listener as the layer holds it: position, velocity (always zero),
// forward and up (normalised, up made perpendicular to forward). Any
// pointer may be null. False when not open.
bool FSOUND_3D_Listener_GetAttributes(float* position, float* velocity, float* forwardX, float* forwardY,
                                      float* forwardZ, float* upX, float* upY, float* upZ);
// Once a frame: re-applies every 3D channel's angle and distance to the
// listener, and delivers pending stream end callbacks on this thread.
void FSOUND_Update();

// --- samples ------------------------------------------------------------------
// Loads a whole sound file (WAV, or anything the mixer decodes). index is
// FSOUND_UNMANAGED (or ignored); mode, offset and length are ignored. Null on
// failure: FMOD_ERR_FILE_NOTFOUND, FMOD_ERR_FILE_FORMAT. The layer owns the
// sample until FSOUND_Sample_Free or FSOUND_Close.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* fileName, unsigned mode, int offset, int length);
// FSOUND_HW3D makes the sample's channels positional; FSOUND_LOOP_NORMAL loops
// them. False for an unknown sample.
bool FSOUND_Sample_SetMode(FSOUND_SAMPLE* sample, unsigned mode);
// Gain of a positioned channel: minDistance / clamp(distance, minDistance,
// maxDistance). False for an unknown sample or minDistance <= 0.
bool FSOUND_Sample_SetMinMaxDistance(FSOUND_SAMPLE* sample, float minDistance, float maxDistance);
// Stops the sample's channels and frees it; an unknown handle is ignored.
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);

// --- channels -------------------------------------------------------------------
// A channel handle is (serial << 8) | index, never 0. Playing on a channel
// gives it a new serial, so an older handle for the same index fails without
// touching the new sound. Play calls return -1 on failure
// (FMOD_ERR_CHANNEL_ALLOC when every channel is busy).
//
// Plays a sample at volume 255 on channel (FSOUND_FREE: the lowest free one).
// dspUnit must be null. A channel started paused begins when unpaused.
int FSOUND_PlaySoundEx(int channel, FSOUND_SAMPLE* sample, FSOUND_DSPUNIT* dspUnit, bool paused);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
// Places a channel of a 3D sample (position may be null to keep it; velocity
// is ignored). A channel only becomes positional here: a 3D sample that is
// never placed plays unattenuated and centred. False for a stale handle or a
// sample without FSOUND_HW3D.
bool FSOUND_3D_SetAttributes(int channel, const float* position, const float* velocity);
bool FSOUND_SetPaused(int channel, bool paused);
bool FSOUND_GetPaused(int channel);
// volume 0 to 255 (clamped). False for a stale handle.
bool FSOUND_SetVolume(int channel, int volume);
// The channel's volume 0 to 255; 0 for a stale handle.
int FSOUND_GetVolume(int channel);
// True while the channel is playing or paused (not yet finished or stopped).
bool FSOUND_IsPlaying(int channel);
// Stops the channel; a stream's end callback is not called for it.
bool FSOUND_StopSound(int channel);

// --- streams ---------------------------------------------------------------------
// Opens a stream: with FSOUND_LOADMEMORY, nameOrData is a block of length
// bytes (copied; the caller may free it afterwards); otherwise a file name.
// The data is decoded whole (WAV or MP3, told apart by content). Null on
// failure: FMOD_ERR_FILE_NOTFOUND, FMOD_ERR_FILE_FORMAT, FMOD_ERR_INVALID_PARAM.
FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned mode, int offset, int length);
// The callback for the stream's end (or each restart of a looping stream),
// called on the program's thread. False for an unknown stream.
bool FSOUND_Stream_SetEndCallback(FSOUND_STREAM* stream, FSOUND_STREAMCALLBACK callback, void* userData);
// Plays the stream from its start on a channel of its own at volume 255; a
// stream that was still playing is stopped first. Returns the channel or -1.
int FSOUND_Stream_PlayEx(int channel, FSOUND_STREAM* stream, FSOUND_DSPUNIT* dspUnit, bool paused);
// Stops the stream (no end callback). True for a known stream, playing or not.
bool FSOUND_Stream_Stop(FSOUND_STREAM* stream);
// Stops and frees the stream; an unknown handle gives false and nothing else.
bool FSOUND_Stream_Close(FSOUND_STREAM* stream);

// --- modules -----------------------------------------------------------------------
// Loads music for the mixer's music slot (tracker modules, and whatever else
// the mixer plays as music). Null on failure: FMOD_ERR_FILE_NOTFOUND,
// FMOD_ERR_FILE_FORMAT. Owned by the layer until FMUSIC_FreeSong or FSOUND_Close.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* fileName);
// Plays the module from its start, looping; it replaces whatever module was
// playing. False for an unknown module or when the mixer refuses.
bool FMUSIC_PlaySong(FMUSIC_MODULE* module);
// Stops the module if it is the one playing. True for a known module.
bool FMUSIC_StopSong(FMUSIC_MODULE* module);
// volume 0 to 256 (clamped), kept with the module and applied while it plays.
bool FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume);
// The module's volume 0 to 256; -1 for an unknown module.
int FMUSIC_GetMasterVolume(FMUSIC_MODULE* module);
bool FMUSIC_IsPlaying(FMUSIC_MODULE* module);
// Stops and frees the module; an unknown handle gives false and nothing else.
bool FMUSIC_FreeSong(FMUSIC_MODULE* module);
