#include "platform/midi/midi_output.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "io/failure_reason.h"
#include "platform/midi/alsa_output.h"
#include "platform/midi/log_output.h"
#include "platform/midi/synth_output.h"
#include "platform/midi/wav_output.h"

namespace muto::midi {

int MidiOutput::fail(int code, std::string reason) {
    lastError_ = std::move(reason);
    std::fprintf(stderr, "muto: MIDI output: %s (code %d)\n", lastError_.c_str(), code);
    return code;
}

void MidiOutput::writeFailed(const std::string& file, int err) {
    std::lock_guard lock(failureMutex_);
    if (failureRecorded_) return;
    failureRecorded_ = true;
    failure_ = OutputFailure{file, failureReason(err)};
    std::fprintf(stderr, "muto: MIDI output: writing %s failed: %s\n", file.c_str(),
                 std::strerror(err));
}

void MidiOutput::clearWriteFailure() {
    std::lock_guard lock(failureMutex_);
    failureRecorded_ = false;
    failure_.reset();
}

std::optional<OutputFailure> MidiOutput::takeFailure() {
    std::lock_guard lock(failureMutex_);
    return std::exchange(failure_, std::nullopt);
}

int shortMessageLength(uint8_t status) {
    if (status < 0x80) return 3;  // not a status byte: pass the whole value on
    switch (status & 0xF0) {
        case 0xC0:  // program change
        case 0xD0:  // channel pressure
            return 2;
        case 0xF0:
            if (status == 0xF1 || status == 0xF3) return 2;  // time code quarter frame, song select
            if (status == 0xF2) return 3;                    // song position
            return 1;                                        // real-time and the rest
        default:
            return 3;
    }
}

namespace {

bool startsWith(const std::string& s, const char* prefix, std::string* rest) {
    const std::string p(prefix);
    if (s.compare(0, p.size(), p) != 0) return false;
    *rest = s.substr(p.size());
    return true;
}

}  // namespace

std::unique_ptr<MidiDevice> createMidiDevice(const MidiOptions& options, std::string* usageError) {
    const std::string& out = options.output;
    const std::string soundfont = options.soundfont.empty() ? kDefaultSoundFont : options.soundfont;
    std::string rest;
    if (out == "synth") return std::make_unique<SynthOutput>(soundfont);
    if (out == "alsa") return std::make_unique<AlsaOutput>(std::string());
    if (startsWith(out, "alsa:", &rest) && !rest.empty()) return std::make_unique<AlsaOutput>(rest);
    if (startsWith(out, "wav:", &rest) && !rest.empty())
        return std::make_unique<WavOutput>(rest, soundfont);
    if (startsWith(out, "log:", &rest) && !rest.empty()) return std::make_unique<LogOutput>(rest);
    if (usageError) {
        *usageError = "--midi-out: unknown output '" + out +
                      "' (use synth, alsa, alsa:NAME, wav:FILE or log:FILE)";
    }
    return nullptr;
}

std::string lastOpenError(const MidiDevice& device) {
    const auto* output = dynamic_cast<const MidiOutput*>(&device);
    return output ? output->lastError() : std::string();
}

}  // namespace muto::midi
