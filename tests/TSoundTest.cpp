// The sound wrapper TSound on the dummy audio driver: slots, switches, volume
// steps, missing files, the callback's log lines and the fatal start paths.

#include "engine/TSound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "engine/Log.h"
#include "engine/TProperties.h"

namespace {

std::string tempDir() {
    static std::string dir;
    if (dir.empty()) {
        char name[] = "/tmp/tsound-XXXXXX";
        dir = mkdtemp(name) ? name : "/tmp";
    }
    return dir;
}

std::string writeWav(const std::string& name, int frames) {
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
    u32(32000);
    u32(64000);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const int16_t s = static_cast<int16_t>((i / 16) % 2 ? 8000 : -8000);
        f.write(reinterpret_cast<const char*>(&s), 2);
    }
    return path;
}

// The log goes to one file for the whole run; each test reads what was
// written after its start.
class TSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool opened = false;
        if (!opened) {
            openLog((tempDir() + "/Log.txt").c_str());
            opened = true;
        }
        logFlush();
        logStart_ = readLog().size();
    }

    std::string logSinceStart() {
        logFlush();
        return readLog().substr(logStart_);
    }

    static std::string readLog() {
        std::ifstream in(tempDir() + "/Log.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string tone_ = writeWav("tone.wav", 32000);
    std::string blip_ = writeWav("blip.wav", 1600);
    size_t logStart_ = 0;
};

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(TSoundTest, ConstructionLogsChannelCountsAndSwitchesStartOn) {
    TSound sound;
    const std::string log = logSinceStart();
    EXPECT_NE(log.find("Number of available hardware mixed 3d channels: 0\n"), std::string::npos);
    EXPECT_NE(log.find("Number of active channels: 0\n"), std::string::npos);
    EXPECT_EQ(sound.soundOn, 1);
    EXPECT_EQ(sound.musicOn, 1);
    EXPECT_EQ(sound.musicVolume, 100);
    EXPECT_EQ(sound.sampleCount, 0);
    EXPECT_EQ(sound.musicCount, 0);
    EXPECT_EQ(sound.currentMusic(), nullptr);
}

TEST_F(TSoundTest, SampleSlotsFillInOrderUpToThirty) {
    TSound sound;
    for (int i = 0; i < TSound::maxSamples; ++i) ASSERT_EQ(sound.loadSound(tone_.c_str(), 1), i);
    EXPECT_EQ(sound.samples[29]->flag, 1);
    // Leave a known error behind: a 31st load that reached the library would
    // replace it with "File not found".
    const std::string text = tempDir() + "/text.wav";
    std::ofstream(text) << "not a sound";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_UNMANAGED, text.c_str(), 0x130, 0, 0), nullptr);
    ASSERT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(sound.loadSound("sound/no-such-file.wav", 1), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(sound.sampleCount, 30);

    const float at[3] = {10.0f, 0.0f, 0.0f};
    EXPECT_GT(sound.playSound(29, at, nullptr, 40), 0);
    EXPECT_EQ(sound.playSound(30, at, nullptr, 40), -1);
    EXPECT_EQ(sound.playSound(-1, at, nullptr, 40), -1);
    EXPECT_EQ(sound.playSound2D(30), -1);
}

TEST_F(TSoundTest, PlaySoundLogsItsChannelAndSetsTheVolume) {
    TSound sound;
    const int slot = sound.loadSound(tone_.c_str(), 1);
    const float at[3] = {1.0f, 2.0f, 3.0f};
    const int channel = sound.playSound(slot, at, nullptr, 40);
    ASSERT_GT(channel, 0);
    EXPECT_FALSE(FSOUND_GetPaused(channel));
    EXPECT_EQ(FSOUND_GetVolume(channel), 40);
    EXPECT_NE(logSinceStart().find("channel (playSound): " + std::to_string(channel) + "\n"), std::string::npos);
    const int flat = sound.playSound2D(slot);
    EXPECT_GT(flat, 0);
    EXPECT_EQ(FSOUND_GetVolume(flat), 255);
}

TEST_F(TSoundTest, SwitchesComeFromThePropertiesAndAbsentMeansOff) {
    TSound sound;
    TProperties props;
    sound.readProperties(&props);
    EXPECT_EQ(sound.properties, &props);
    EXPECT_EQ(sound.soundOn, 0);
    EXPECT_EQ(sound.musicOn, 0);
    const int slot = sound.loadSound(tone_.c_str(), 1);
    EXPECT_EQ(slot, 0) << "loading works with sound off";
    const float at[3] = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(sound.playSound(slot, at, nullptr, 255), 0);
    EXPECT_EQ(sound.playSound2D(slot), 0);
    EXPECT_EQ(sound.playSound(5, at, nullptr, 255), -1) << "a bad slot is still -1";
    const int music = sound.loadMusic(1, tone_.c_str(), true);
    EXPECT_EQ(sound.playMusic(music), 0);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);

    props.set("SOUND", "ON");
    props.set("MUSIC", "on");
    sound.readProperties(&props);
    EXPECT_EQ(sound.soundOn, 1);
    EXPECT_EQ(sound.musicOn, 0) << "only the exact text ON switches on";
    EXPECT_GT(sound.playSound2D(slot), 0);
}

TEST_F(TSoundTest, MusicSlotsStopAtFifteenWithoutCallingTheLibrary) {
    TSound sound;
    for (int i = 0; i < TSound::maxMusic; ++i) ASSERT_EQ(sound.loadMusic(i % 2, tone_.c_str(), true), i);
    EXPECT_NE(sound.currentMusic(), nullptr);
    const std::string before = logSinceStart();
    EXPECT_EQ(sound.loadMusic(0, tone_.c_str(), true), -1);
    EXPECT_EQ(sound.loadMusic(1, "sound/missing.wav", true), -1);
    const std::string after = logSinceStart().substr(before.size());
    EXPECT_EQ(after.find("Lade music objekt."), std::string::npos);
    EXPECT_EQ(after.find("Fehler"), std::string::npos);
    EXPECT_EQ(sound.playMusic(15), -1);
    EXPECT_EQ(sound.stopMusic(15), -1);
    EXPECT_EQ(sound.stopMusic(-1), -1);
}

TEST_F(TSoundTest, VolumeStepsStayWithinTheBounds) {
    {
        TSound sound;
        float fraction = 1.0f;
        for (int i = 0; i < 20; ++i) fraction = sound.musicVolumeDown(-1);
        EXPECT_EQ(sound.musicVolume, 0) << "a bad slot still changes the volume";
        EXPECT_FLOAT_EQ(fraction, 0.0f);
        EXPECT_FLOAT_EQ(sound.musicVolumeDown(-1), 0.0f);
        EXPECT_EQ(sound.musicVolume, 0);
    }
    TSound sound;
    const int slot = sound.loadMusic(1, tone_.c_str(), true);
    ASSERT_EQ(sound.playMusic(slot), 1);
    float fraction = 0.0f;
    for (int i = 0; i < 31; ++i) fraction = sound.musicVolumeUp(slot);
    EXPECT_EQ(sound.musicVolume, 255);
    EXPECT_FLOAT_EQ(fraction, 1.0f);
    EXPECT_EQ(FSOUND_GetVolume(sound.music[slot]->channel), 255);
    EXPECT_FLOAT_EQ(sound.musicVolumeUp(slot), 1.0f);
    EXPECT_EQ(sound.musicVolume, 255);
    sound.musicVolumeDown(slot);
    EXPECT_EQ(FSOUND_GetVolume(sound.music[slot]->channel), 250);
}

TEST_F(TSoundTest, StreamPlaysAtVolume100AndStops) {
    TSound sound;
    const int slot = sound.loadMusic(1, tone_.c_str(), true);
    ASSERT_EQ(slot, 0);
    EXPECT_EQ(sound.currentMusic(), sound.music[0]);
    EXPECT_EQ(sound.music[0]->kind, 1);
    EXPECT_NE(sound.music[0]->stream, nullptr);
    EXPECT_EQ(sound.playMusic(slot), 1);
    const int channel = sound.music[0]->channel;
    EXPECT_GT(channel, 0);
    EXPECT_EQ(FSOUND_GetVolume(channel), 100);
    EXPECT_NE(logSinceStart().find("channel (playMusic): " + std::to_string(channel) + "\n"), std::string::npos);
    EXPECT_EQ(sound.stopMusic(slot), 0);
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
}

TEST_F(TSoundTest, ModuleLoadsLogsAndPlays) {
    TSound sound;
    const int slot = sound.loadMusic(0, tone_.c_str(), true);
    ASSERT_EQ(slot, 0);
    EXPECT_EQ(sound.music[0]->kind, 0);
    EXPECT_NE(sound.music[0]->module, nullptr);
    EXPECT_EQ(sound.playMusic(slot), 0);
    EXPECT_TRUE(FMUSIC_IsPlaying(sound.music[0]->module));
    sound.musicVolumeUp(slot);
    EXPECT_EQ(sound.stopMusic(slot), 0);
    EXPECT_FALSE(FMUSIC_IsPlaying(sound.music[0]->module));

    EXPECT_EQ(sound.loadMusic(0, (tempDir() + "/missing.it").c_str(), true), -1);
    EXPECT_EQ(sound.loadMusic(2, tone_.c_str(), true), -1);
    EXPECT_EQ(sound.musicCount, 1);
    const std::string log = logSinceStart();
    EXPECT_EQ(count(log, "Lade music objekt."), 2);
    EXPECT_NE(log.find("Lade music objekt.File not found"), std::string::npos);
}

TEST_F(TSoundTest, MissingStreamFileLeavesTheRestOfTheSoundWorking) {
    TSound sound;
    const int sample = sound.loadSound(tone_.c_str(), 1);
    EXPECT_EQ(sound.loadMusic(1, "sound/does-not-exist.mp3", false), -1);
    EXPECT_NE(logSinceStart().find("Fehler beim Laden von music file.\n"), std::string::npos);
    EXPECT_EQ(sound.musicCount, 0);

    const std::string garbage = tempDir() + "/garbage.mp3";
    std::ofstream(garbage) << "these bytes hold no music";
    EXPECT_EQ(sound.loadMusic(1, garbage.c_str(), false), -1);
    EXPECT_NE(logSinceStart().find("Fehler beim oeffnen von stream."), std::string::npos);

    EXPECT_EQ(sound.loadSound("sound/also-missing.wav", 1), -1);
    EXPECT_GT(sound.playSound2D(sample), 0);
    const int music = sound.loadMusic(1, tone_.c_str(), false);
    EXPECT_EQ(music, 0);
    EXPECT_EQ(sound.playMusic(music), 1);
}

TEST_F(TSoundTest, StreamEndIsLoggedFromUpdate) {
    TSound sound;
    const int slot = sound.loadMusic(1, blip_.c_str(), false);
    ASSERT_EQ(sound.playMusic(slot), 1);
    const int channel = sound.music[slot]->channel;
    for (int waited = 0; waited < 3000 && FSOUND_IsPlaying(channel); waited += 5) sleepMs(5);
    ASSERT_FALSE(FSOUND_IsPlaying(channel));
    EXPECT_EQ(logSinceStart().find("stream ended and restarted.\n"), std::string::npos)
        << "the audio thread never writes the log";
    FSOUND_Update();
    EXPECT_EQ(count(logSinceStart(), "stream ended and restarted.\n"), 1);
}

TEST_F(TSoundTest, CallbackTexts) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(TSound::streamCallback(nullptr, "marker", 0, nullptr));
    EXPECT_TRUE(TSound::streamCallback(nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nSYNCHPOINT : \"marker\"\n");
    EXPECT_EQ(logSinceStart(), "synchpoint\nstream ended and restarted.\n");
}

TEST(TSoundErrorsTest, ErrorTexts) {
    EXPECT_STREQ(TSound::errorString(0), "No errors");
    EXPECT_STREQ(TSound::errorString(1), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(TSound::errorString(3), "Error initializing output device.");
    EXPECT_STREQ(TSound::errorString(6),
                 "Soundcard does not support the features needed for this soundsystem (16bit stereo output)");
    EXPECT_STREQ(TSound::errorString(9), "File not found");
    EXPECT_STREQ(TSound::errorString(12), "Not enough memory ");
    EXPECT_STREQ(TSound::errorString(18), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(TSound::errorString(19), "Unknown error");
    EXPECT_STREQ(TSound::errorString(-1), "Unknown error");
}

TEST(TSoundInstanceTest, GetInstanceGivesOneObjectAndDeletingItClosesTheLibrary) {
    TSound* sound = TSound::getInstance();
    EXPECT_EQ(TSound::getInstance(), sound);
    delete sound;
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    TSound* again = TSound::getInstance();
    EXPECT_NE(again, nullptr);
    delete again;
}

// The fatal start paths run in a fresh child process; standard output is sent
// to standard error there so that the death test sees it.
TEST(TSoundDeathTest, WrongLibraryVersionEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            setenv("GAME_SOUND_VERSION", "3.70", 1);
            TSound sound;
        },
        testing::ExitedWithCode(1),
        "^Error : You are using the wrong DLL version!  You should be using FMOD 3\\.71\n$");
}

TEST(TSoundDeathTest, FailedStartEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            TSound sound;
        },
        testing::ExitedWithCode(1), "^Error initializing output device\\.\n$");
}
