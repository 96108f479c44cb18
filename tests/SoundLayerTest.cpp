// The sound library layer over SDL2_mixer, on the dummy audio driver (and the
// disk driver where the mixed output itself is checked).

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sound.h"

namespace {

std::string tempDir() {
    static std::string dir;
    if (dir.empty()) {
        char name[] = "/tmp/soundlayer-XXXXXX";
        dir = mkdtemp(name) ? name : "/tmp";
    }
    return dir;
}

// A 16-bit mono WAV of a square wave of the given amplitude.
std::string writeWav(const std::string& name, int frames, int amplitude = 10000, int rate = 32000) {
    const std::string path = tempDir() + "/" + name;
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF", 4);
    u32(36 + frames * 2);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const int16_t s = static_cast<int16_t>((i / 20) % 2 ? amplitude : -amplitude);
        f.write(reinterpret_cast<const char*>(&s), 2);
    }
    return path;
}

std::string writeText(const std::string& name, const std::string& text) {
    const std::string path = tempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<char> readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Calls FSOUND_Update every 5 ms until done() holds or the time runs out.
template <class F>
bool updateUntil(F done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        FSOUND_Update();
        if (done()) return true;
        sleepMs(5);
    }
    FSOUND_Update();
    return done();
}

// Waits (without calling into the layer but for done()) until done() holds.
template <class F>
bool waitUntil(F done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs && !done(); waited += 5) sleepMs(5);
    return done();
}

const unsigned streamMode = 0x28130;

struct EndCalls {
    int count = 0;
    FSOUND_STREAM* stream = nullptr;
    bool onOtherThread = false;
    bool withSyncName = false;
    std::thread::id caller = std::this_thread::get_id();
};

bool recordEnd(FSOUND_STREAM* stream, const char* syncPointName, int, void* userData) {
    EndCalls* calls = static_cast<EndCalls*>(userData);
    ++calls->count;
    calls->stream = stream;
    if (std::this_thread::get_id() != calls->caller) calls->onOtherThread = true;
    if (syncPointName) calls->withSyncName = true;
    return true;
}

class SoundLayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FSOUND_Init(32000, 64, 0)); }
    void TearDown() override { FSOUND_Close(); }

    FSOUND_STREAM* openMemoryStream(const std::string& path, unsigned mode) {
        data_ = readBytes(path);
        return FSOUND_Stream_Open(data_.data(), mode, 0, static_cast<int>(data_.size()));
    }

    std::vector<char> data_;
};

}  // namespace

TEST(SoundLayerLibraryTest, VersionIs371UnlessTheEnvironmentOverridesIt) {
    unsetenv("GAME_SOUND_VERSION");
    EXPECT_FLOAT_EQ(FSOUND_GetVersion(), 3.71f);
    setenv("GAME_SOUND_VERSION", "3.5", 1);
    EXPECT_FLOAT_EQ(FSOUND_GetVersion(), 3.5f);
    setenv("GAME_SOUND_VERSION", "not a number", 1);
    EXPECT_FLOAT_EQ(FSOUND_GetVersion(), 3.71f);
    unsetenv("GAME_SOUND_VERSION");
}

TEST(SoundLayerLibraryTest, CallsBeforeInitFailQuietly) {
    const std::string wav = writeWav("early.wav", 320);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, wav.c_str(), 0x130, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_SetVolume(256, 10));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    FSOUND_Update();
    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
}

TEST(SoundLayerLibraryTest, ExplicitDriverThatCannotOpenFailsWithInitError) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(FSOUND_Init(32000, 64, 0));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INIT);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(FSOUND_Init(32000, 64, 0));
    EXPECT_FALSE(FSOUND_Init(32000, 64, 0));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    FSOUND_Close();
}

TEST_F(SoundLayerTest, SampleLoadTellsMissingFromUndecodable) {
    const std::string missing = tempDir() + "/missing.wav";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, missing.c_str(), 0x130, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    const std::string garbage = writeText("garbage.wav", "no sound in here, only a few words of text");
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, garbage.c_str(), 0x130, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    const std::string truncated = writeText("truncated.wav", "RIFF\x10\0\0\0WAVEfmt ");
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, truncated.c_str(), 0x130, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    const std::string good = writeWav("good.wav", 3200);
    EXPECT_NE(FSOUND_Sample_Load(FSOUND_UNMANAGED, good.c_str(), 0x130, 0, 0), nullptr);
}

TEST_F(SoundLayerTest, StaleChannelHandlesFailWithoutTouchingTheNewSound) {
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("tone.wav", 32000).c_str(), 0x130, 0, 0);
    ASSERT_NE(sample, nullptr);
    const int first = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, true);
    ASSERT_GT(first, 0);
    EXPECT_TRUE(FSOUND_IsPlaying(first));
    EXPECT_TRUE(FSOUND_GetPaused(first));
    EXPECT_TRUE(FSOUND_StopSound(first));

    const int second = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, false);
    ASSERT_GT(second, 0);
    EXPECT_EQ(second & 0xff, first & 0xff) << "the freed channel is reused";
    EXPECT_NE(second, first);
    EXPECT_FALSE(FSOUND_SetVolume(first, 7));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_SetPaused(first, true));
    EXPECT_FALSE(FSOUND_StopSound(first));
    EXPECT_FALSE(FSOUND_3D_SetAttributes(first, nullptr, nullptr));
    EXPECT_EQ(FSOUND_GetVolume(second), 255);
    EXPECT_FALSE(FSOUND_GetPaused(second));
    EXPECT_TRUE(FSOUND_IsPlaying(second));
    EXPECT_TRUE(FSOUND_SetVolume(second, 300));
    EXPECT_EQ(FSOUND_GetVolume(second), 255);
}

TEST_F(SoundLayerTest, ChannelsRunOutAndComeBackWhenSoundsEnd) {
    FSOUND_SAMPLE* longOne = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("long.wav", 32000).c_str(), 0x130, 0, 0);
    FSOUND_SAMPLE* shortOne = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("short.wav", 1600).c_str(), 0x130, 0, 0);
    ASSERT_NE(longOne, nullptr);
    ASSERT_NE(shortOne, nullptr);
    const int quick = FSOUND_PlaySound(FSOUND_FREE, shortOne);
    ASSERT_GT(quick, 0);
    std::vector<int> handles;
    for (int i = 1; i < 64; ++i) handles.push_back(FSOUND_PlaySoundEx(FSOUND_FREE, longOne, nullptr, true));
    for (int h : handles) EXPECT_GT(h, 0);
    EXPECT_EQ(FSOUND_PlaySoundEx(FSOUND_FREE, longOne, nullptr, true), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_CHANNEL_ALLOC);

    // The 50 ms sound ends and its channel is free again.
    ASSERT_TRUE(updateUntil([&] { return !FSOUND_IsPlaying(quick); }, 3000));
    const int again = FSOUND_PlaySound(FSOUND_FREE, shortOne);
    EXPECT_EQ(again & 0xff, quick & 0xff);
    EXPECT_NE(again, quick);
}

TEST_F(SoundLayerTest, FreeingASampleStopsItsChannels) {
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("loop.wav", 3200).c_str(), 0x130, 0, 0);
    ASSERT_TRUE(FSOUND_Sample_SetMode(sample, FSOUND_LOOP_NORMAL));
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GT(channel, 0);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 1);
    FSOUND_Sample_Free(sample);
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    FSOUND_Sample_Free(sample);  // a second free is harmless
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
}

TEST_F(SoundLayerTest, StreamEndCallbackRunsOnTheCallingThreadAtUpdate) {
    FSOUND_STREAM* stream = openMemoryStream(writeWav("end.wav", 3200), streamMode);
    ASSERT_NE(stream, nullptr);
    data_.assign(data_.size(), 0);  // the layer keeps its own copy
    EndCalls calls;
    ASSERT_TRUE(FSOUND_Stream_SetEndCallback(stream, recordEnd, &calls));
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false);
    ASSERT_GT(channel, 0);

    // The 100 ms stream ends while nobody calls in: nothing is reported yet.
    ASSERT_TRUE(waitUntil([&] { return !FSOUND_IsPlaying(channel); }, 3000));
    sleepMs(50);
    EXPECT_EQ(calls.count, 0);
    FSOUND_Update();
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.stream, stream);
    EXPECT_FALSE(calls.onOtherThread);
    EXPECT_FALSE(calls.withSyncName);
    updateUntil([] { return false; }, 200);
    EXPECT_EQ(calls.count, 1) << "a stream that does not loop ends once";
}

TEST_F(SoundLayerTest, EndCallbackIsAlsoDeliveredByThePlayCalls) {
    FSOUND_STREAM* stream = openMemoryStream(writeWav("end2.wav", 1600), streamMode);
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("s.wav", 1600).c_str(), 0x130, 0, 0);
    ASSERT_NE(stream, nullptr);
    EndCalls calls;
    FSOUND_Stream_SetEndCallback(stream, recordEnd, &calls);
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false);
    ASSERT_GT(channel, 0);
    ASSERT_TRUE(waitUntil([&] { return !FSOUND_IsPlaying(channel); }, 3000));
    EXPECT_EQ(calls.count, 0);
    FSOUND_PlaySound(FSOUND_FREE, sample);
    EXPECT_EQ(calls.count, 1);
}

TEST_F(SoundLayerTest, LoopingStreamReportsEachRestartUntilStopped) {
    FSOUND_STREAM* stream = openMemoryStream(writeWav("loop.wav", 3200), streamMode + FSOUND_LOOP_NORMAL);
    ASSERT_NE(stream, nullptr);
    EndCalls calls;
    FSOUND_Stream_SetEndCallback(stream, recordEnd, &calls);
    const int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false);
    ASSERT_TRUE(updateUntil([&] { return calls.count >= 3; }, 3000));
    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    EXPECT_FALSE(calls.onOtherThread);

    EXPECT_TRUE(FSOUND_Stream_Stop(stream));
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
    const int afterStop = calls.count;
    updateUntil([] { return false; }, 300);
    EXPECT_EQ(calls.count, afterStop) << "stopping is not an end";
    EXPECT_TRUE(FSOUND_Stream_Stop(stream)) << "stopping a stopped stream is fine";
}

TEST_F(SoundLayerTest, StreamsOverlapAndReplayRestarts) {
    FSOUND_STREAM* a = openMemoryStream(writeWav("a.wav", 32000), streamMode);
    FSOUND_STREAM* b = FSOUND_Stream_Open(writeWav("b.wav", 32000).c_str(), 0, 0, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const int channelA = FSOUND_Stream_PlayEx(FSOUND_FREE, a, nullptr, true);
    const int channelB = FSOUND_Stream_PlayEx(FSOUND_FREE, b, nullptr, false);
    EXPECT_NE(channelA & 0xff, channelB & 0xff);
    EXPECT_TRUE(FSOUND_SetVolume(channelA, 100));
    EXPECT_TRUE(FSOUND_SetPaused(channelA, false));
    EXPECT_EQ(FSOUND_GetVolume(channelA), 100);
    EXPECT_EQ(FSOUND_GetVolume(channelB), 255);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 2);

    const int replay = FSOUND_Stream_PlayEx(FSOUND_FREE, a, nullptr, false);
    EXPECT_GT(replay, 0);
    EXPECT_FALSE(FSOUND_IsPlaying(channelA)) << "a stream plays on one channel at a time";
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 2);
    EXPECT_TRUE(FSOUND_Stream_Close(a));
    EXPECT_FALSE(FSOUND_IsPlaying(replay));
    EXPECT_FALSE(FSOUND_Stream_Close(a));
}

// Silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz, mono) are told from
// WAV by their content, whatever the file is called.
TEST_F(SoundLayerTest, Mp3DataIsRecognisedByContent) {
    std::string frames;
    for (int i = 0; i < 40; ++i) {
        frames += std::string("\xff\xfb\x90\xc4", 4);
        frames += std::string(413, '\0');
    }
    FSOUND_STREAM* stream = FSOUND_Stream_Open(frames.data(), streamMode, 0, static_cast<int>(frames.size()));
    ASSERT_NE(stream, nullptr);
    EXPECT_GT(FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false), 0);
    const std::string named = writeText("really-mp3.wav", frames);
    EXPECT_NE(FSOUND_Sample_Load(FSOUND_UNMANAGED, named.c_str(), 0x130, 0, 0), nullptr);
}

TEST_F(SoundLayerTest, StreamOpenFailures) {
    const std::string text = "plain words, not sound";
    EXPECT_EQ(FSOUND_Stream_Open(text.c_str(), streamMode, 0, static_cast<int>(text.size())), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(FSOUND_Stream_Open(text.c_str(), streamMode, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    const std::string missing = tempDir() + "/nothing.mp3";
    EXPECT_EQ(FSOUND_Stream_Open(missing.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
}

TEST_F(SoundLayerTest, ModulePlaysInTheMusicSlot) {
    const std::string missing = tempDir() + "/nothing.mod";
    EXPECT_EQ(FMUSIC_LoadSong(missing.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    FMUSIC_MODULE* first = FMUSIC_LoadSong(writeWav("music1.wav", 32000).c_str());
    FMUSIC_MODULE* second = FMUSIC_LoadSong(writeWav("music2.wav", 32000).c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(FMUSIC_SetMasterVolume(first, 160));
    EXPECT_EQ(FMUSIC_GetMasterVolume(first), 160);
    EXPECT_EQ(FMUSIC_GetMasterVolume(second), 256);
    EXPECT_TRUE(FMUSIC_PlaySong(first));
    EXPECT_TRUE(FMUSIC_IsPlaying(first));
    EXPECT_TRUE(FMUSIC_PlaySong(second));
    EXPECT_FALSE(FMUSIC_IsPlaying(first)) << "one module at a time";
    EXPECT_TRUE(FMUSIC_StopSong(first)) << "stopping a module that is not playing leaves the other";
    EXPECT_TRUE(FMUSIC_IsPlaying(second));
    EXPECT_TRUE(FMUSIC_StopSong(second));
    EXPECT_FALSE(FMUSIC_IsPlaying(second));
    EXPECT_TRUE(FMUSIC_FreeSong(first));
    EXPECT_FALSE(FMUSIC_FreeSong(first));
    EXPECT_EQ(FMUSIC_GetMasterVolume(first), -1);
    EXPECT_FALSE(FMUSIC_PlaySong(first));
}

TEST_F(SoundLayerTest, ListenerReadsBackNormalisedWithUpAtRightAngles) {
    const float at[3] = {1.0f, -2.0f, 3.0f};
    ASSERT_TRUE(FSOUND_3D_Listener_SetAttributes(at, nullptr, 0.0f, 0.0f, 2.0f, 0.0f, 1.0f, 1.0f));
    float p[3], v[3] = {9.0f, 9.0f, 9.0f}, f[3], u[3];
    ASSERT_TRUE(FSOUND_3D_Listener_GetAttributes(p, v, &f[0], &f[1], &f[2], &u[0], &u[1], &u[2]));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(p[k], at[k]);
        EXPECT_EQ(v[k], 0.0f);
        EXPECT_NEAR(f[k], k == 2 ? 1.0f : 0.0f, 1e-6f);
        EXPECT_NEAR(u[k], k == 1 ? 1.0f : 0.0f, 1e-6f);
    }
    // Forward along up is no frame: the old one stays.
    ASSERT_TRUE(FSOUND_3D_Listener_SetAttributes(nullptr, nullptr, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f));
    ASSERT_TRUE(FSOUND_3D_Listener_GetAttributes(p, nullptr, &f[0], &f[1], &f[2], nullptr, nullptr, nullptr));
    EXPECT_EQ(p[0], 1.0f);
    EXPECT_NEAR(f[2], 1.0f, 1e-6f);
    FSOUND_Close();
    EXPECT_FALSE(FSOUND_3D_Listener_GetAttributes(p, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(SoundLayerTest, CloseStopsAndFreesEverythingAndLaterCallsFailQuietly) {
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("c.wav", 32000).c_str(), 0x130, 0, 0);
    FSOUND_STREAM* stream = openMemoryStream(writeWav("cs.wav", 32000), streamMode);
    FMUSIC_MODULE* module = FMUSIC_LoadSong(writeWav("cm.wav", 32000).c_str());
    ASSERT_TRUE(sample && stream && module);
    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GT(FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false), 0);
    ASSERT_TRUE(FMUSIC_PlaySong(module));

    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_FALSE(FSOUND_SetVolume(channel, 10));
    EXPECT_FALSE(FSOUND_Stream_Stop(stream));
    EXPECT_FALSE(FMUSIC_StopSong(module));
    FSOUND_Update();
    FSOUND_Sample_Free(sample);
    EXPECT_FALSE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FMUSIC_FreeSong(module));
    FSOUND_Close();

    // After a new start the old handles stay dead; new ones work.
    ASSERT_TRUE(FSOUND_Init(32000, 64, 0));
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_SetVolume(channel, 10));
    FSOUND_SAMPLE* fresh = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("c.wav", 3200).c_str(), 0x130, 0, 0);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, sample);
    const int newChannel = FSOUND_PlaySound(FSOUND_FREE, fresh);
    EXPECT_GT(newChannel, 0);
    EXPECT_NE(newChannel, channel);
}

// --- what comes out of the mixer (disk driver) ------------------------------------

namespace {

struct Peaks {
    int left = 0;
    int right = 0;
};

// Stereo 16-bit frames of the output file.
std::vector<std::pair<int16_t, int16_t>> outputFrames(const std::string& path) {
    const std::vector<char> bytes = readBytes(path);
    std::vector<std::pair<int16_t, int16_t>> frames(bytes.size() / 4);
    for (size_t i = 0; i < frames.size(); ++i) {
        std::memcpy(&frames[i].first, &bytes[i * 4], 2);
        std::memcpy(&frames[i].second, &bytes[i * 4 + 2], 2);
    }
    return frames;
}

Peaks peaksOf(const std::vector<std::pair<int16_t, int16_t>>& frames, size_t from, size_t to) {
    Peaks p;
    for (size_t i = from; i < to && i < frames.size(); ++i) {
        p.left = std::max(p.left, std::abs(static_cast<int>(frames[i].first)));
        p.right = std::max(p.right, std::abs(static_cast<int>(frames[i].second)));
    }
    return p;
}

// Peaks of the stereo 16-bit output between two fractions of the file.
Peaks outputPeaks(const std::string& path, double from, double to) {
    const auto frames = outputFrames(path);
    return peaksOf(frames, static_cast<size_t>(frames.size() * from), static_cast<size_t>(frames.size() * to));
}

// The output before and after a change the test made half-way: the change
// shows at the first frame whose left (or right) sample reaches the
// threshold. Where that lands in the file depends on how far the audio
// thread had got, which a loaded machine shifts, so it is found, not assumed.
// Each side leaves out a margin of 10 % of its length at both ends.
struct Phases {
    Peaks before, after;
    double changeAt = 0.0;  // the change's place as a fraction of the file
};

Phases outputPhases(const std::string& path, int threshold, bool onLeft) {
    const auto frames = outputFrames(path);
    size_t at = 0;
    while (at < frames.size() && std::abs(static_cast<int>(onLeft ? frames[at].first : frames[at].second)) < threshold)
        ++at;
    Phases p;
    p.changeAt = frames.empty() ? 0.0 : static_cast<double>(at) / static_cast<double>(frames.size());
    const size_t rest = frames.size() - at;
    p.before = peaksOf(frames, at / 10, at - at / 10);
    p.after = peaksOf(frames, at + rest / 10, frames.size() - rest / 10);
    return p;
}

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        output_ = tempDir() + "/output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        ASSERT_TRUE(FSOUND_Init(32000, 64, 0));
        sample_ = FSOUND_Sample_Load(FSOUND_UNMANAGED, writeWav("out.wav", 32000).c_str(), 0x130, 0, 0);
        ASSERT_NE(sample_, nullptr);
        FSOUND_Sample_SetMode(sample_, 0x1001 + FSOUND_LOOP_NORMAL - FSOUND_LOOP_OFF);
        FSOUND_Sample_SetMinMaxDistance(sample_, 5.0f, 300.0f);
    }
    void TearDown() override {
        FSOUND_Close();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
    }
    void setListener(float x, float y, float z) {
        const float at[3] = {x, y, z};
        FSOUND_3D_Listener_SetAttributes(at, nullptr, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    }
    int playAt(float x, float y, float z) {
        const float at[3] = {x, y, z};
        const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample_, nullptr, true);
        EXPECT_TRUE(FSOUND_3D_SetAttributes(channel, at, nullptr));
        EXPECT_TRUE(FSOUND_SetPaused(channel, false));
        return channel;
    }

    std::string output_;
    FSOUND_SAMPLE* sample_ = nullptr;
};

}  // namespace

// The sample's square wave has amplitude 10000; mono plays on both sides.
TEST_F(SoundOutputTest, PositionPansAndDistanceAttenuates) {
    setListener(100.0f, 0.0f, 50.0f);
    playAt(110.0f, 0.0f, 50.0f);  // 10 units to the right: gain 5 / 10
    sleepMs(300);
    FSOUND_Close();
    const Peaks p = outputPeaks(output_, 0.2, 0.9);
    EXPECT_LT(p.left, 500);
    EXPECT_NEAR(p.right, 5000, 300);
}

TEST_F(SoundOutputTest, FarSoundsKeepTheGainOfMaxDistanceAndNearOnesFull) {
    setListener(0.0f, 0.0f, 0.0f);
    const int far = playAt(0.0f, 0.0f, 3000.0f);  // ahead, beyond 300: gain 5 / 300
    const int near = FSOUND_PlaySoundEx(FSOUND_FREE, sample_, nullptr, false);  // never placed: full
    ASSERT_GT(near, 0);
    FSOUND_SetVolume(near, 0);
    sleepMs(250);
    FSOUND_SetVolume(near, 255);
    FSOUND_SetVolume(far, 0);
    sleepMs(250);
    FSOUND_Close();
    const Phases p = outputPhases(output_, 2000, true);
    EXPECT_GT(p.changeAt, 0.05);
    EXPECT_LT(p.changeAt, 0.95);
    EXPECT_NEAR(p.before.left, 167, 40);
    EXPECT_NEAR(p.before.right, 167, 40);
    EXPECT_NEAR(p.after.left, 10000, 300);
    EXPECT_NEAR(p.after.right, 10000, 300);
}

TEST_F(SoundOutputTest, UpdateFollowsTheMovingListener) {
    setListener(0.0f, 0.0f, 0.0f);
    playAt(10.0f, 0.0f, 0.0f);
    sleepMs(250);
    setListener(20.0f, 0.0f, 0.0f);  // now the sound is on the left
    FSOUND_Update();
    sleepMs(250);
    FSOUND_Close();
    const Phases p = outputPhases(output_, 2000, true);
    EXPECT_GT(p.changeAt, 0.05);
    EXPECT_LT(p.changeAt, 0.95);
    EXPECT_GT(p.before.right, 4000);
    EXPECT_LT(p.before.left, 500);
    EXPECT_GT(p.after.left, 4000);
    EXPECT_LT(p.after.right, 500);
}
