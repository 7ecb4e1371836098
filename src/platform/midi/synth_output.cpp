#include "platform/midi/synth_output.h"

#include <fluidsynth.h>

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
            driver_ = new_fluid_audio_driver(settings, engine_.synth());
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

void SynthOutput::close() {
    if (driver_) delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    driverName_.clear();
    engine_.destroy();
}

}  // namespace muto::midi
