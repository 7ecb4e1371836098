// synth — the built-in FluidSynth synthesizer playing through the sound system. Audio drivers are
// tried in the order PipeWire, PulseAudio, ALSA; the first that starts is used. FluidSynth's
// `file` driver is never tried: it would "succeed" without a sound. The rendered buffers pass
// through the limiter before the driver plays them, so a loud chord never clips.
#pragma once

#include <array>
#include <string>

#include "platform/midi/fluid_engine.h"
#include "platform/midi/limiter.h"
#include "platform/midi/midi_output.h"

struct _fluid_audio_driver_t;

namespace muto::midi {

// Audio buffering: 3 periods of 128 frames, 8.7 ms at 44.1 kHz.
inline constexpr int kAudioPeriodSize = 128;
inline constexpr int kAudioPeriods = 3;

class SynthOutput : public MidiOutput {
public:
    explicit SynthOutput(std::string soundfont) : soundfont_(std::move(soundfont)) {}
    ~SynthOutput() override { close(); }

    int open() override;
    void shortMsg(uint32_t message) override { engine_.send(message); }
    void close() override;

    // The audio driver that started ("pipewire", "pulseaudio" or "alsa"), empty while closed.
    const std::string& driverName() const { return driverName_; }
    const std::string& soundfont() const { return soundfont_; }

    // The drivers open() tries, in order.
    static constexpr const char* kDrivers[] = {"pipewire", "pulseaudio", "alsa"};

private:
    // The driver's processing callback: the synthesizer renders, the limiter takes the sum.
    static int process(void* self, int len, int nfx, float** fx, int nout, float** out);

    std::string soundfont_;
    // One per stereo pair of the driver's outputs (it has one).
    std::array<Limiter, 4> limiters_{Limiter(44100.0), Limiter(44100.0), Limiter(44100.0),
                                     Limiter(44100.0)};
    FluidEngine engine_;
    _fluid_audio_driver_t* driver_ = nullptr;
    std::string driverName_;
};

}  // namespace muto::midi
