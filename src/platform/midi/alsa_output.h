// alsa and alsa:NAME — messages go out through an ALSA sequencer port (RtMidi, ALSA API only:
// RtMidi's JACK backend crashes when it opens a port without a JACK server). With no NAME the
// client "무토" offers an output port "무토" that synthesizers connect to (aconnect, qsynth…);
// with a NAME it connects to the first existing port whose name contains NAME.
#pragma once

#include <memory>
#include <string>

#include "platform/midi/midi_output.h"

class RtMidiOut;

namespace muto::midi {

inline constexpr const char* kAlsaClientName = "무토";
inline constexpr const char* kAlsaPortName = "무토";

class AlsaOutput : public MidiOutput {
public:
    // An empty `target` offers a port of our own instead of connecting to one.
    explicit AlsaOutput(std::string target);
    ~AlsaOutput() override;

    int open() override;
    void shortMsg(uint32_t message) override;
    void close() override;

    const std::string& target() const { return target_; }
    // The name of the port connected to (alsa:NAME), empty otherwise.
    const std::string& connectedPort() const { return connectedPort_; }

private:
    std::string target_;
    std::string connectedPort_;
    std::unique_ptr<RtMidiOut> out_;
};

}  // namespace muto::midi
