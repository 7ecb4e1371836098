#include "platform/midi/fluid_engine.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/midi/limiter.h"
#include "platform/midi/midi_output.h"

namespace muto::midi {

namespace {

thread_local ErrorCapture* tCapture = nullptr;
thread_local std::string* tCaptureText = nullptr;
bool gVerbose = false;

// Quiet by default: errors go to stderr (or to the capture of the thread that logs them),
// warnings and chatter only when MUTO_MIDI_DEBUG is set.
void logToStderr(int level, const char* message, void*) {
    if (level <= FLUID_ERR && tCaptureText) {
        if (!tCaptureText->empty()) *tCaptureText += "; ";
        *tCaptureText += message;
        return;
    }
    if (level <= FLUID_ERR || gVerbose) std::fprintf(stderr, "fluidsynth: %s\n", message);
}

void takeOverLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        gVerbose = std::getenv("MUTO_MIDI_DEBUG") != nullptr;
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, logToStderr, nullptr);
    });
}

}  // namespace

ErrorCapture::ErrorCapture() : previous_(tCapture) {
    takeOverLog();
    tCapture = this;
    tCaptureText = &text_;
}

ErrorCapture::~ErrorCapture() {
    tCapture = previous_;
    tCaptureText = previous_ ? &previous_->text_ : nullptr;
}

std::string ErrorCapture::take() {
    return std::exchange(text_, std::string());
}

int FluidEngine::create(const std::string& soundfont, double sampleRate, std::string* reason) {
    destroy();
    ErrorCapture capture;
    if (::access(soundfont.c_str(), R_OK) != 0) {
        *reason = "cannot read soundfont " + soundfont + ": " + std::strerror(errno);
        return kSoundFontUnusable;
    }
    settings_ = new_fluid_settings();
    if (!settings_) {
        *reason = "cannot create synthesizer settings";
        return kSynthNotCreated;
    }
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings_, "synth.gain", kSynthGain);
    // Loads only the samples of the presets in use: far less resident memory.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        *reason = "cannot create the synthesizer: " + capture.take();
        destroy();
        return kSynthNotCreated;
    }
    // CC72 (release time) has no default modulator in FluidSynth: add one that lengthens or
    // shortens the volume envelope's release around the centre value 64.
    fluid_mod_t* mod = new_fluid_mod();
    fluid_mod_set_source1(mod, 72,
                          FLUID_MOD_CC | FLUID_MOD_LINEAR | FLUID_MOD_BIPOLAR | FLUID_MOD_POSITIVE);
    fluid_mod_set_source2(mod, FLUID_MOD_NONE, 0);
    fluid_mod_set_dest(mod, GEN_VOLENVRELEASE);
    fluid_mod_set_amount(mod, kReleaseModAmount);
    fluid_synth_add_default_mod(synth_, mod, FLUID_SYNTH_ADD);
    delete_fluid_mod(mod);

    if (fluid_synth_sfload(synth_, soundfont.c_str(), 1) == FLUID_FAILED) {
        std::string detail = capture.take();
        *reason = "cannot load soundfont " + soundfont + (detail.empty() ? "" : ": " + detail);
        destroy();
        return kSoundFontUnusable;
    }
    return kOpened;
}

void FluidEngine::destroy() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
    synth_ = nullptr;
    settings_ = nullptr;
}

void FluidEngine::send(uint32_t message) {
    if (!synth_) return;
    const int status = message & 0xFF;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth_, channel, data1);
            break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(synth_, channel, data1);
            else
                fluid_synth_noteon(synth_, channel, data1, data2);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth_, channel, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(synth_, channel, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth_, channel, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth_, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
            break;
        default:
            break;  // not a channel message: nothing for the synthesizer
    }
}

void renderLimitedS16(FluidEngine& engine, Limiter& limiter, int16_t* out, int frames) {
    std::array<float, 2 * kMaxRenderBlock> mix;
    frames = std::clamp(frames, 0, kMaxRenderBlock);
    if (engine.synth())
        fluid_synth_write_float(engine.synth(), frames, mix.data(), 0, 2, mix.data(), 1, 2);
    else
        mix.fill(0.0f);
    limiter.processInterleaved(mix.data(), frames);
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = toS16(mix[static_cast<size_t>(i)]);
}

}  // namespace muto::midi
