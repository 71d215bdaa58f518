// The sound module without a device: the WAV format the content is written
// in, the engine voice's smoothing, and which cue each tick and menu key calls for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/cue_mixer.h"
#include "audio/engine_voice.h"
#include "audio/sound.h"
#include "audio/sound_cues.h"
#include "audio/wav_file.h"
#include "sim/race_session.h"

namespace {

// A looped 100-sample sine: 220.5 Hz at 22050 samples per second.
EngineVoice sineVoice()
{
    EngineVoice v;
    for (int i = 0; i < 100; ++i)
        v.loop.push_back(static_cast<int16_t>(std::lround(20000.0 * std::sin(6.283185307179586 * i / 100.0))));
    resetEngine(v);
    return v;
}

// Largest change from one output sample to the next.
int largestStep(const std::vector<int16_t>& s)
{
    int worst = 0;
    for (size_t i = 1; i < s.size(); ++i)
        worst = std::max(worst, std::abs(s[i] - s[i - 1]));
    return worst;
}

TickReport raceTick(int64_t raceTick, int32_t previousLap, int32_t lap)
{
    TickReport r;
    r.tick = countdownTicks + raceTick;
    r.raceTick = raceTick;
    r.previousLap = previousLap;
    r.lap = lap;
    return r;
}

}  // namespace

TEST(WavFile, WrittenBytesHaveTheHeaderAndReadBack)
{
    WavSound s;
    s.sampleRate = 22050;
    s.samples = {0, 1, -1, 32767, -32768, 1234};
    std::string bytes = wavBytes(s);
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(bytes.substr(36, 4), "data");
    // Little-endian: -32768 is 00 80.
    EXPECT_EQ(static_cast<unsigned char>(bytes[44 + 8]), 0x00);
    EXPECT_EQ(static_cast<unsigned char>(bytes[44 + 9]), 0x80);
    WavSound back;
    ASSERT_TRUE(parseWav(bytes, back));
    EXPECT_EQ(back.sampleRate, 22050);
    EXPECT_EQ(back.samples, s.samples);
}

TEST(WavFile, DamagedOrForeignFilesAreRefusedWithoutReadingPastTheEnd)
{
    WavSound s;
    s.samples.assign(100, 7);
    std::string good = wavBytes(s);
    WavSound out;
    // Cut inside the data: the data chunk claims more than is there.
    EXPECT_FALSE(parseWav(good.substr(0, good.size() - 10), out));
    EXPECT_TRUE(out.samples.empty());
    EXPECT_FALSE(parseWav("", out));
    EXPECT_FALSE(parseWav(good.substr(0, 30), out));
    std::string eightBit = good;
    eightBit[34] = 8;
    EXPECT_FALSE(parseWav(eightBit, out));
    std::string compressed = good;
    compressed[20] = 3;
    EXPECT_FALSE(parseWav(compressed, out));
    std::string huge = good;
    huge[40] = huge[41] = huge[42] = huge[43] = static_cast<char>(0xff);
    EXPECT_FALSE(parseWav(huge, out));
    EXPECT_FALSE(readWavFile("/nonexistent/engine.wav", out));
}

// A folder aborted the game from inside the stream library and /dev/zero
// grew it to gigabytes; each is refused at once, as is a file over the limit.
TEST(WavFile, OnlyARegularFileWithinTheLimitIsRead)
{
    char folder[] = "/tmp/vantor-wav-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    WavSound s;
    s.samples.assign(100, 7);
    const std::string good = wavBytes(s);
    std::string oversized = good;
    oversized.resize(maxWavFileBytes + 1, '\0');
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"good.wav", good}, {"big.wav", oversized}})
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    ASSERT_EQ(mkdir((dir + "/folder.wav").c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.wav").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/fifo.wav").c_str(), 0600), 0);
    struct Case {
        const char* name;
        bool read;
    };
    for (const Case& c : {Case{"good.wav", true}, Case{"big.wav", false}, Case{"folder.wav", false},
                          Case{"zero.wav", false}, Case{"fifo.wav", false}}) {
        WavSound out;
        EXPECT_EQ(readWavFile(dir + "/" + c.name, out), c.read) << c.name;
        EXPECT_EQ(out.samples.size(), c.read ? 100u : 0u) << c.name;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(WavFile, StereoIsAveragedToMono)
{
    WavSound mono;
    mono.samples = {100, 300};
    std::string bytes = wavBytes(mono);
    // Rewrite as one stereo frame: channels 2, block align 4.
    bytes[22] = 2;
    bytes[32] = 4;
    WavSound out;
    ASSERT_TRUE(parseWav(bytes, out));
    EXPECT_EQ(out.samples, (std::vector<int16_t>{200}));
}

TEST(EngineVoice, TargetsRiseWithSpeedAndThrottle)
{
    double idlePitch, idleGain, p, g;
    engineTargets(0.0, 0.0, idlePitch, idleGain);
    engineTargets(0.0, 1.0, p, g);
    EXPECT_GT(p, idlePitch);
    EXPECT_GT(g, idleGain);
    double last = p;
    for (double speed : {10.0, 30.0, 60.0}) {
        engineTargets(speed, 1.0, p, g);
        EXPECT_GT(p, last) << speed;
        last = p;
    }
    // Beyond the top speed, and with nonsense inputs, the note stays in range.
    double top, topGain;
    engineTargets(1000.0, 5.0, top, topGain);
    engineTargets(70.0, 1.0, p, g);
    EXPECT_EQ(top, p);
    EXPECT_LE(topGain, 1.0);
    engineTargets(-5.0, -1.0, p, g);
    EXPECT_EQ(p, idlePitch);
}

TEST(EngineVoice, TargetsChangedAtTheTickRateGiveNoClicks)
{
    EngineVoice v = sineVoice();
    std::vector<int16_t> out;
    // A second of audio in 10 ms blocks; every block jumps to a new target,
    // the harshest the game can ask for: idle and flat out in turn.
    for (int block = 0; block < 100; ++block) {
        double speed = block % 2 ? 70.0 : 0.0;
        engineTargets(speed, block % 2, v.targetPitch, v.targetGain);
        std::vector<int16_t> part(220, 0);
        mixEngine(v, part.data(), 220, 1, 22050, 1.0);
        out.insert(out.end(), part.begin(), part.end());
    }
    // A 220 Hz sine of 20000 moves at most about 1260 a sample; at three
    // times the pitch about 3800. A click would jump by thousands more.
    EXPECT_LT(largestStep(out), 4500);
    EXPECT_GT(largestStep(out), 500) << "the voice is heard";
}

TEST(EngineVoice, PitchFollowsTheTargetSmoothlyAndTheLoopWraps)
{
    EngineVoice v = sineVoice();
    v.targetPitch = 2.0;
    v.targetGain = 1.0;
    std::vector<int16_t> out(22050, 0);
    mixEngine(v, out.data(), 22050, 1, 22050, 1.0);
    EXPECT_NEAR(v.pitch, 2.0, 1e-3) << "settled within a second";
    EXPECT_GE(v.position, 0.0);
    EXPECT_LT(v.position, 100.0);
    // Zero crossings of the last tenth of a second: 441 Hz gives about 88.
    int crossings = 0;
    for (size_t i = 22050 - 2205; i < out.size(); ++i)
        crossings += (out[i - 1] < 0) != (out[i] < 0);
    EXPECT_NEAR(crossings, 88, 3);
}

TEST(EngineVoice, StopFadesToSilenceWithinAFewMillisecondsAndMixesIntoStereo)
{
    EngineVoice v = sineVoice();
    v.targetGain = 1.0;
    std::vector<int16_t> warm(2 * 4410, 0);
    mixEngine(v, warm.data(), 4410, 2, 22050, 1.0);
    EXPECT_EQ(warm[4000], warm[4001]) << "both channels carry the same note";
    v.stopping = true;
    // Whatever a later frame asks, a stopped voice stays stopped until reset.
    engineTargets(50.0, 1.0, v.targetPitch, v.targetGain);
    std::vector<int16_t> out(2 * 2205, 0);
    mixEngine(v, out.data(), 2205, 2, 22050, 1.0);
    // 20 ms in (441 frames) it is down by far more than half; after 100 ms silent.
    int late = 0;
    for (size_t i = 2 * 441; i < 2 * 551; ++i)
        late = std::max(late, std::abs(out[i]));
    EXPECT_LT(late, 200);
    EXPECT_EQ(out[2 * 2204], 0);
    EXPECT_EQ(v.gain, 0.0);
    EXPECT_LT(largestStep(out), 2 * 1300) << "the fade itself does not click";
    resetEngine(v);
    EXPECT_FALSE(v.stopping);
    EXPECT_EQ(v.gain, 0.0) << "a restarted engine fades in";
}

TEST(EngineVoice, MixingSaturatesAndAnEmptyLoopAddsNothing)
{
    EngineVoice v = sineVoice();
    v.gain = v.targetGain = 1.0;
    std::vector<int16_t> out(200, 30000);
    mixEngine(v, out.data(), 200, 1, 22050, 1.0);
    for (int16_t s : out)
        EXPECT_GE(s, 10000);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    EngineVoice empty;
    std::vector<int16_t> quiet(50, 5);
    mixEngine(empty, quiet.data(), 50, 1, 22050, 1.0);
    EXPECT_EQ(quiet, std::vector<int16_t>(50, 5));
}

TEST(SoundCues, CountdownBeepsAsEachDigitAppearsAndTheStartToneWithTheFirstRaceTick)
{
    RaceSounds race;
    std::vector<int64_t> beeps;
    TickReport countdown;
    countdown.countdown = true;
    for (countdown.tick = 1; countdown.tick <= countdownTicks; ++countdown.tick) {
        const int64_t t = countdown.tick;
        std::vector<SoundCue> cues = cuesForTick(countdown, race);
        if (!cues.empty()) {
            EXPECT_EQ(cues, (std::vector<SoundCue>{SoundCue::countdownBeep})) << t;
            beeps.push_back(t);
        }
    }
    // "3" at 2990 ms, "2" at 1990, "1" at 990: a second apart.
    EXPECT_EQ(beeps, (std::vector<int64_t>{1, 101, 201}));
    for (auto [tick, digit] : {std::pair{1, 3}, {100, 3}, {101, 2}, {299, 1}, {300, 0}})
        EXPECT_EQ(countdownDigitAfter(tick), digit) << tick;
    EXPECT_EQ(cuesForTick(raceTick(1, 0, 0), race), (std::vector<SoundCue>{SoundCue::startTone}));
    EXPECT_TRUE(cuesForTick(raceTick(2, 0, 0), race).empty());
}

TEST(SoundCues, LapSoundOnlyWhenALapIsCompletedForTheFirstTime)
{
    RaceSounds race;
    // 0 -> 1 just after the start begins the first lap: no lap sound.
    EXPECT_TRUE(cuesForTick(raceTick(50, 0, 1), race).empty());
    EXPECT_EQ(cuesForTick(raceTick(900, 1, 2), race), (std::vector<SoundCue>{SoundCue::lap}));
    // Backing over the line and crossing it again is not a new lap.
    EXPECT_TRUE(cuesForTick(raceTick(901, 2, 1), race).empty());
    EXPECT_TRUE(cuesForTick(raceTick(902, 1, 2), race).empty());
    // A new race starts afresh.
    RaceSounds next;
    cuesForTick(raceTick(50, 0, 1), next);
    EXPECT_EQ(cuesForTick(raceTick(800, 1, 2), next), (std::vector<SoundCue>{SoundCue::lap}));
}

TEST(SoundCues, FinishAndLeavingTheRoadHaveTheirOwnSoundAndNoLapSound)
{
    RaceSounds race;
    cuesForTick(raceTick(50, 0, 1), race);
    cuesForTick(raceTick(900, 1, 2), race);
    TickReport finish = raceTick(1800, 2, 3);
    finish.finished = true;
    EXPECT_EQ(cuesForTick(finish, race), (std::vector<SoundCue>{SoundCue::finish}));
    TickReport loss = raceTick(1, 0, 0);
    loss.leftRoad = true;
    RaceSounds fresh;
    EXPECT_EQ(cuesForTick(loss, fresh), (std::vector<SoundCue>{SoundCue::startTone, SoundCue::leaveRoad}));
}

TEST(SoundCues, MenuKeysSelectOnEnterAndMoveOnlyWhenTheFocusMoved)
{
    SoundCue cue = SoundCue::lap;
    ASSERT_TRUE(menuKeyCue(true, false, cue));
    EXPECT_EQ(cue, SoundCue::menuSelect);
    ASSERT_TRUE(menuKeyCue(false, true, cue));
    EXPECT_EQ(cue, SoundCue::menuMove);
    EXPECT_FALSE(menuKeyCue(false, false, cue));
    // Every cue has a file of its own.
    for (int i = 0; i < soundCueCount; ++i) {
        std::string name = soundCueFile(static_cast<SoundCue>(i));
        EXPECT_EQ(name.substr(name.size() - 4), ".wav");
        for (int j = 0; j < i; ++j)
            EXPECT_NE(name, soundCueFile(static_cast<SoundCue>(j)));
    }
}

TEST(SoundWithoutDevice, EveryCallIsHarmlessAndCuesAreStillCounted)
{
    ASSERT_FALSE(sound.open);
    int before = sound.requested[static_cast<int>(SoundCue::lap)];
    playCue(SoundCue::lap);
    EXPECT_EQ(sound.requested[static_cast<int>(SoundCue::lap)], before + 1);
    startEngine();
    driveEngine(30.0, 1.0);
    stopEngine();
    TickReport finish = raceTick(10, 0, 0);
    finish.finished = true;
    int finishes = sound.requested[static_cast<int>(SoundCue::finish)];
    soundAfterTick(finish);
    EXPECT_EQ(sound.requested[static_cast<int>(SoundCue::finish)], finishes + 1);
    bool muted = sound.muted;
    toggleMute();
    EXPECT_NE(sound.muted, muted);
    toggleMute();
    EXPECT_EQ(sound.muted, muted);
    closeSound();
    EXPECT_FALSE(sound.open);
}

TEST(CueMixer, ACueStartsOnTheFrameItWasScheduledForAcrossBuffers)
{
    std::vector<int16_t> click(300, 1000);
    CueMixer m;
    scheduleCue(m, &click, 22050, 1000);
    std::vector<int16_t> out;
    for (int b = 0; b < 4; ++b) {
        std::vector<int16_t> part(512, 0);
        mixCues(m, part.data(), 512, 1, 22050, 0.5);
        out.insert(out.end(), part.begin(), part.end());
    }
    size_t first = std::find_if(out.begin(), out.end(), [](int16_t s) { return s != 0; }) - out.begin();
    EXPECT_EQ(first, 1000u);
    EXPECT_EQ(out[1000], 500) << "scaled by the volume";
    EXPECT_EQ(std::count(out.begin(), out.end(), 500), 300) << "every sample once";
    EXPECT_TRUE(m.voices.empty()) << "a finished cue is dropped";
    EXPECT_EQ(m.frame, 2048u);
}

TEST(CueMixer, LateCuesStartAtOnceAndSoundsOverlapSaturatingInStereo)
{
    std::vector<int16_t> loud(100, 20000);
    CueMixer m;
    std::vector<int16_t> silence(2 * 512, 0);
    mixCues(m, silence.data(), 512, 2, 22050, 1.0);
    // Due at frame 10, long gone: heard from the next buffer's first frame.
    scheduleCue(m, &loud, 22050, 10);
    scheduleCue(m, &loud, 22050, 0);
    std::vector<int16_t> out(2 * 512, 0);
    mixCues(m, out.data(), 512, 2, 22050, 1.0);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], 32767);
    EXPECT_EQ(out[2 * 200], 0);
    // At twice the output rate the cue plays in half the frames.
    CueMixer fast;
    scheduleCue(fast, &loud, 44100, 0);
    std::vector<int16_t> half(100, 0);
    mixCues(fast, half.data(), 100, 1, 22050, 1.0);
    EXPECT_NE(half[48], 0);
    EXPECT_EQ(half[51], 0);
    // Empty sounds are not scheduled; the oldest of too many makes way.
    std::vector<int16_t> none;
    scheduleCue(fast, &none, 22050, 0);
    EXPECT_TRUE(fast.voices.empty());
    for (size_t i = 0; i < maxCueVoices + 3; ++i)
        scheduleCue(fast, &loud, 22050, 1000 + i);
    EXPECT_EQ(fast.voices.size(), maxCueVoices);
    EXPECT_EQ(fast.voices.front().startFrame, 1003u);
    clearCues(fast);
    EXPECT_TRUE(fast.voices.empty());
}
