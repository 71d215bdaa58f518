#include "audio/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "assets/data_dir.h"
#include "audio/cue_mixer.h"
#include "audio/engine_voice.h"
#include "audio/wav_file.h"
#include "sim/race_constants.h"
#include "sim/race_session.h"

SoundState sound;

// Everything below the device lock: the audio thread reads it in engineHook.
static WavSound cueSounds[soundCueCount];
static CueMixer cues;
static EngineVoice engine;
static RaceSounds raceSounds;
// Stream frame at which the current race's tick 0 is heard.
static uint64_t raceFrame = 0;
// Engine loudness relative to the short sounds.
static const double engineLevel = 0.45;
static int outRate = 22050;
static int outChannels = 1;
static bool outIsS16 = false;
// 23 ms buffers at 22050 Hz.
static const int bufferFrames = 512;

// Volume as a fraction, 0 while muted.
static double volumeScale() { return sound.muted ? 0.0 : std::clamp(sound.volume, 0, 100) / 100.0; }

// Runs on the audio thread with the device locked; the stream holds silence.
static void mixHook(void*, Uint8* stream, int len)
{
    if (!outIsS16)
        return;
    int frames = len / (2 * outChannels);
    int16_t* out = reinterpret_cast<int16_t*>(stream);
    double volume = volumeScale();
    mixEngine(engine, out, frames, outChannels, outRate, volume * engineLevel);
    mixCues(cues, out, frames, outChannels, outRate, volume);
}

// Calls open with standard error shut: sound drivers that find no device
// (ALSA among them) print lines of their own there.
template <typename Open>
static bool withQuietStderr(Open open)
{
    fflush(stderr);
    int saved = dup(2);
    int devnull = ::open("/dev/null", O_WRONLY);
    if (saved >= 0 && devnull >= 0)
        dup2(devnull, 2);
    bool ok = open();
    fflush(stderr);
    if (saved >= 0) {
        dup2(saved, 2);
        close(saved);
    }
    if (devnull >= 0)
        close(devnull);
    return ok;
}

void openSound(int32_t volume)
{
    sound.volume = std::clamp(volume, 0, 100);
    if (sound.open)
        return;
    bool ok = withQuietStderr([] {
        return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(22050, AUDIO_S16SYS, 1, bufferFrames) == 0;
    });
    if (!ok) {
        std::fprintf(stderr, "No sound: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Uint16 format = 0;
    Mix_QuerySpec(&outRate, &format, &outChannels);
    outIsS16 = format == AUDIO_S16SYS && outChannels > 0 && outRate > 0;
    // A missing or damaged file leaves its sound empty, and silent.
    std::string folder = dataDir + "/sounds/";
    for (int i = 0; i < soundCueCount; ++i)
        readWavFile(folder + soundCueFile(static_cast<SoundCue>(i)), cueSounds[i]);
    WavSound loop;
    if (readWavFile(folder + engineLoopFile(), loop)) {
        engine.loop = loop.samples;
        engine.loopRate = loop.sampleRate;
    }
    resetEngine(engine);
    engine.stopping = true;
    sound.open = true;
    Mix_HookMusic(mixHook, nullptr);
}

void closeSound()
{
    if (!sound.open)
        return;
    Mix_HookMusic(nullptr, nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    clearCues(cues);
    sound.open = false;
}

static void scheduleLocked(SoundCue cue, uint64_t frame)
{
    int i = static_cast<int>(cue);
    ++sound.requested[i];
    if (sound.open)
        scheduleCue(cues, &cueSounds[i].samples, cueSounds[i].sampleRate, frame);
}

void playCue(SoundCue cue)
{
    if (!sound.open) {
        scheduleLocked(cue, 0);
        return;
    }
    SDL_LockAudio();
    scheduleLocked(cue, 0);
    SDL_UnlockAudio();
}

void startEngine()
{
    raceSounds = RaceSounds();
    if (!sound.open)
        return;
    SDL_LockAudio();
    resetEngine(engine);
    // Two buffers of lead: a tick run up to that late in its frame is still
    // heard exactly on its time.
    raceFrame = cues.frame + 2 * bufferFrames;
    SDL_UnlockAudio();
}

void soundAfterTick(const TickReport& report)
{
    std::vector<SoundCue> due = cuesForTick(report, raceSounds);
    if (!sound.open) {
        for (SoundCue cue : due)
            scheduleLocked(cue, 0);
    } else if (!due.empty()) {
        SDL_LockAudio();
        uint64_t frame = raceFrame + static_cast<uint64_t>(report.tick) * static_cast<uint64_t>(outRate) / ticksPerSecond;
        // A tick run later than the lead allows (a long frame) moves the
        // race's time on the stream with it, so the cues after it keep their
        // spacing. A device far behind the game's clock hears a cue at most
        // five seconds after now.
        if (frame < cues.frame) {
            raceFrame += cues.frame - frame;
            frame = cues.frame;
        }
        frame = std::min<uint64_t>(frame, cues.frame + 5 * static_cast<uint64_t>(outRate));
        for (SoundCue cue : due)
            scheduleLocked(cue, frame);
        SDL_UnlockAudio();
    }
    if (report.finished || report.leftRoad)
        stopEngine();
}

void driveEngine(double speed, double throttle)
{
    if (!sound.open)
        return;
    SDL_LockAudio();
    engineTargets(speed, throttle, engine.targetPitch, engine.targetGain);
    SDL_UnlockAudio();
}

void stopEngine()
{
    if (!sound.open)
        return;
    SDL_LockAudio();
    engine.stopping = true;
    SDL_UnlockAudio();
}

void setSoundVolume(int32_t volume)
{
    if (sound.open)
        SDL_LockAudio();
    sound.volume = std::clamp(volume, 0, 100);
    if (sound.open)
        SDL_UnlockAudio();
}

void toggleMute()
{
    if (!sound.open) {
        sound.muted = !sound.muted;
        return;
    }
    SDL_LockAudio();
    sound.muted = !sound.muted;
    SDL_UnlockAudio();
}
