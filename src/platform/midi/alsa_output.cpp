#include "platform/midi/alsa_output.h"

#include <RtMidi.h>

#include <cstdio>

namespace muto::midi {

namespace {

// Once the port is open, RtMidi reports send failures here instead of throwing.
void reportSendError(RtMidiError::Type, const std::string& text, void*) {
    std::fprintf(stderr, "muto: MIDI output: %s\n", text.c_str());
}

}  // namespace

AlsaOutput::AlsaOutput(std::string target) : target_(std::move(target)) {}

AlsaOutput::~AlsaOutput() {
    close();
}

int AlsaOutput::open() {
    if (out_) return kOpened;
    std::unique_ptr<RtMidiOut> out;
    try {
        out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kAlsaClientName);
    } catch (const RtMidiError& e) {
        return fail(kNoSequencer, "no ALSA sequencer: " + e.getMessage());
    }
    if (out->getCurrentApi() != RtMidi::LINUX_ALSA)
        return fail(kNoSequencer, "no ALSA sequencer: RtMidi has no ALSA support");
    try {
        if (target_.empty()) {
            out->openVirtualPort(kAlsaPortName);
        } else {
            const unsigned count = out->getPortCount();
            std::string names;
            unsigned found = count;
            for (unsigned i = 0; i < count && found == count; ++i) {
                const std::string name = out->getPortName(i);
                if (name.find(target_) != std::string::npos) {
                    found = i;
                    connectedPort_ = name;
                }
                names += (names.empty() ? "" : ", ") + name;
            }
            if (found == count) {
                return fail(kNoMatchingPort,
                            "no ALSA sequencer port matches '" + target_ +
                                "' (ports: " + (names.empty() ? std::string("none") : names) + ")");
            }
            out->openPort(found, kAlsaPortName);
        }
    } catch (const RtMidiError& e) {
        connectedPort_.clear();
        return fail(kPortNotOpened, "cannot open the ALSA port: " + e.getMessage());
    }
    out->setErrorCallback(reportSendError, nullptr);
    clearError();
    out_ = std::move(out);
    return kOpened;
}

void AlsaOutput::shortMsg(uint32_t message) {
    if (!out_) return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(message & 0xFF),
                                    static_cast<unsigned char>((message >> 8) & 0xFF),
                                    static_cast<unsigned char>((message >> 16) & 0xFF)};
    try {
        out_->sendMessage(bytes, shortMessageLength(bytes[0]));
    } catch (const RtMidiError& e) {
        reportSendError(e.getType(), e.getMessage(), nullptr);
    }
}

void AlsaOutput::close() {
    out_.reset();
    connectedPort_.clear();
}

}  // namespace muto::midi
