// MIDI output backends: the built-in FluidSynth synthesizer (to the sound card or, rendered in
// real time, to a WAV file), an ALSA sequencer port for external synthesizers, and a text log.
//
// `--midi-out` values understood by createMidiDevice():
//   synth        built-in synthesizer through PipeWire, PulseAudio or ALSA (default)
//   alsa         an ALSA sequencer output port named "무토" that other programs connect to
//   alsa:NAME    connect to the first ALSA sequencer port whose name contains NAME
//   wav:FILE     built-in synthesizer rendering in real time into a 16-bit stereo 44.1 kHz WAV
//   log:FILE     one line per message: seconds since open() and the message bytes in hex
//
// open() returns 0 or one of the OpenCode values below; lastError() then says why in one line,
// and the same line goes to stderr.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "form/services.h"

namespace muto::midi {

// Codes returned by MidiDevice::open() when the output cannot be opened.
enum OpenCode : int {
    kOpened = 0,
    kSoundFontUnusable = 1,  // the soundfont file is missing, unreadable or not a SoundFont
    kNoAudioOutput = 2,      // none of PipeWire, PulseAudio or ALSA audio could be started
    kNoSequencer = 3,        // no ALSA sequencer (/dev/snd/seq missing or not accessible)
    kNoMatchingPort = 4,     // alsa:NAME: no sequencer port whose name contains NAME
    kFileNotWritable = 5,    // wav:FILE or log:FILE cannot be created or written
    kSynthNotCreated = 6,    // the synthesizer itself could not be created
    kPortNotOpened = 7,      // the ALSA port could not be created or connected
};

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

struct MidiOptions {
    std::string output = "synth";
    std::string soundfont;  // empty: kDefaultSoundFont
};

// Base of every backend: keeps the reason of the last failed open() and the first failure to
// write what the output produces.
class MidiOutput : public MidiDevice {
public:
    // One line saying why the last open() failed; empty after a successful open.
    const std::string& lastError() const { return lastError_; }

    // The first write failure since open(), once. Any thread may record while another takes.
    std::optional<OutputFailure> takeFailure() override;

protected:
    // Records the reason, writes it to stderr and returns the code, for `return fail(...)`.
    int fail(int code, std::string reason);
    void clearError() { lastError_.clear(); }

    // Remembers a failed write of `file` with the system's error `err`, unless one was already
    // recorded since open(); the first also goes to stderr.
    void writeFailed(const std::string& file, int err);
    // Forgets the write failures of an earlier opening.
    void clearWriteFailure();

private:
    std::string lastError_;
    std::mutex failureMutex_;
    std::optional<OutputFailure> failure_;
    bool failureRecorded_ = false;
};

// Builds the output named by options.output (not yet opened). An unknown value gives nullptr and
// a one-line message in *usageError (when given).
std::unique_ptr<MidiDevice> createMidiDevice(const MidiOptions& options, std::string* usageError);

// Why the last open() of a device made by createMidiDevice() failed (empty when it did not).
std::string lastOpenError(const MidiDevice& device);

// Number of bytes of the short message whose status byte is given (1 to 3).
int shortMessageLength(uint8_t status);

}  // namespace muto::midi
