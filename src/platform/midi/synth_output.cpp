#include "platform/midi/synth_output.h"

#include <fluidsynth.h>

#include <algorithm>

namespace muto::midi {

int SynthOutput::open() {
    if (driver_) return kOpened;
    std::string reason;
    if (const int code = engine_.create(soundfont_, 44100.0, &reason); code != kOpened)
        return fail(code, reason);

    fluid_settings_t* settings = engine_.settings();
    fluid_settings_setint(settings, "audio.period-size", kAudioPeriodSize);
    fluid_settings_setint(settings, "audio.periods", kAudioPeriods);
    // PulseAudio otherwise raises the latency it was asked for.
    fluid_settings_setint(settings, "audio.pulseaudio.adjust-latency", 0);

    std::string failures;
    for (const char* name : kDrivers) {
        ErrorCapture capture;
        std::string detail;
        if (fluid_settings_setstr(settings, "audio.driver", name) == FLUID_OK) {
            for (Limiter& l : limiters_)
                l.reset();
            driver_ = new_fluid_audio_driver2(settings, &SynthOutput::process, this);
            if (driver_) {
                driverName_ = name;
                clearError();
                return kOpened;
            }
            detail = capture.take();
        } else {
            detail = "not available";
        }
        if (!failures.empty()) failures += " | ";
        failures += std::string(name) + ": " + (detail.empty() ? "failed" : detail);
    }
    engine_.destroy();
    return fail(kNoAudioOutput, "no audio output could be started (" + failures + ")");
}

int SynthOutput::process(void* self, int len, int nfx, float** fx, int nout, float** out) {
    auto* s = static_cast<SynthOutput*>(self);
    // A driver without effect buffers gets the effects mixed into the dry ones.
    const int rc = fx ? fluid_synth_process(s->engine_.synth(), len, nfx, fx, nout, out)
                      : fluid_synth_process(s->engine_.synth(), len, nout, out, nout, out);
    if (rc != FLUID_OK) return rc;
    for (int pair = 0; pair < std::min(nout / 2, static_cast<int>(s->limiters_.size())); ++pair)
        s->limiters_[static_cast<size_t>(pair)].process(out[2 * pair], out[2 * pair + 1], len);
    return FLUID_OK;
}

void SynthOutput::close() {
    if (driver_) delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    driverName_.clear();
    engine_.destroy();
}

}  // namespace muto::midi
