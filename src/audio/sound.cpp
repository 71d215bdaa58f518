#include "audio/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "assets/data_dir.h"
#include "audio/engine_voice.h"
#include "audio/wav_file.h"
#include "sim/race_session.h"

SoundState sound;

static Mix_Chunk* chunks[soundCueCount] = {};
static EngineVoice engine;
static RaceSounds raceSounds;
// Engine loudness relative to the short sounds.
static const double engineLevel = 0.45;
static int outRate = 22050;
static int outChannels = 1;
static bool outIsS16 = false;

// Volume as a fraction, 0 while muted.
static double volumeScale() { return sound.muted ? 0.0 : std::clamp(sound.volume, 0, 100) / 100.0; }

static void applyVolume() { Mix_Volume(-1, static_cast<int>(volumeScale() * MIX_MAX_VOLUME + 0.5)); }

// Runs on the audio thread with the device locked; the stream holds silence.
static void engineHook(void*, Uint8* stream, int len)
{
    if (!outIsS16)
        return;
    int frames = len / (2 * outChannels);
    mixEngine(engine, reinterpret_cast<int16_t*>(stream), frames, outChannels, outRate,
              volumeScale() * engineLevel);
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
    // 23 ms buffers at 22050 Hz: the cues land within about a frame of their tick.
    bool ok = withQuietStderr([] {
        return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 512) == 0;
    });
    if (!ok) {
        std::fprintf(stderr, "No sound: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Uint16 format = 0;
    Mix_QuerySpec(&outRate, &format, &outChannels);
    outIsS16 = format == AUDIO_S16SYS && outChannels > 0 && outRate > 0;
    Mix_AllocateChannels(8);
    std::string folder = dataDir + "/sounds/";
    for (int i = 0; i < soundCueCount; ++i)
        chunks[i] = Mix_LoadWAV((folder + soundCueFile(static_cast<SoundCue>(i))).c_str());
    WavSound loop;
    if (readWavFile(folder + engineLoopFile(), loop)) {
        engine.loop = loop.samples;
        engine.loopRate = loop.sampleRate;
    }
    resetEngine(engine);
    engine.stopping = true;
    sound.open = true;
    applyVolume();
    Mix_HookMusic(engineHook, nullptr);
}

void closeSound()
{
    if (!sound.open)
        return;
    Mix_HookMusic(nullptr, nullptr);
    Mix_HaltChannel(-1);
    for (Mix_Chunk*& c : chunks) {
        if (c)
            Mix_FreeChunk(c);
        c = nullptr;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sound.open = false;
}

void playCue(SoundCue cue)
{
    int i = static_cast<int>(cue);
    ++sound.requested[i];
    if (!sound.open || !chunks[i])
        return;
    Mix_PlayChannel(-1, chunks[i], 0);
}

void startEngine()
{
    raceSounds = RaceSounds();
    if (!sound.open)
        return;
    SDL_LockAudio();
    resetEngine(engine);
    SDL_UnlockAudio();
}

void soundAfterTick(const TickReport& report)
{
    for (SoundCue cue : cuesForTick(report, raceSounds))
        playCue(cue);
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

void toggleMute()
{
    if (!sound.open) {
        sound.muted = !sound.muted;
        return;
    }
    SDL_LockAudio();
    sound.muted = !sound.muted;
    SDL_UnlockAudio();
    applyVolume();
}
