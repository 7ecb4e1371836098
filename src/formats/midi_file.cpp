#include "formats/midi_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace muto {

namespace {

// The largest delta a variable-length quantity can hold.
constexpr uint32_t kMaxTicks = 0x0FFFFFFF;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

void putVarLen(std::vector<uint8_t>& out, uint32_t v) {
    std::array<uint8_t, 4> groups{};
    int n = 0;
    do {
        groups[static_cast<size_t>(n++)] = static_cast<uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v != 0 && n < 4);
    while (n > 1)
        out.push_back(static_cast<uint8_t>(groups[static_cast<size_t>(--n)] | 0x80));
    out.push_back(groups[0]);
}

// One track being written: events go in with absolute ticks, never earlier than the last.
class TrackWriter {
public:
    void event(uint32_t tick, std::initializer_list<uint8_t> bytes) {
        tick = std::max(tick, last_);
        putVarLen(body_, tick - last_);
        last_ = tick;
        body_.insert(body_.end(), bytes);
    }
    void meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data) {
        tick = std::max(tick, last_);
        putVarLen(body_, tick - last_);
        last_ = tick;
        body_.push_back(0xFF);
        body_.push_back(type);
        putVarLen(body_, static_cast<uint32_t>(data.size()));
        body_.insert(body_.end(), data.begin(), data.end());
    }
    void appendTo(std::vector<uint8_t>& out) {
        meta(last_, 0x2F, {});  // end of track
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        put32(out, static_cast<uint32_t>(body_.size()));
        out.insert(out.end(), body_.begin(), body_.end());
    }

private:
    std::vector<uint8_t> body_;
    uint32_t last_ = 0;
};

// Data bytes of the channel message with this status byte, or -1 for anything else.
int dataBytes(uint8_t status) {
    switch (status & 0xF0) {
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xE0:
            return 2;
        case 0xC0:
        case 0xD0:
            return 1;
        default:
            return -1;
    }
}

}  // namespace

uint32_t secondsToTicks(double seconds) {
    const double ticks =
        seconds * 1e6 / kMidiFileTempo * kMidiFileTicksPerQuarter;  // exactly ms here
    if (!std::isfinite(ticks) || ticks <= 0) return 0;
    if (ticks >= kMaxTicks) return kMaxTicks;
    return static_cast<uint32_t>(std::lround(ticks));
}

std::vector<uint8_t> writeMidiFile(const MidiFileContent& content) {
    TrackWriter conductor;
    conductor.meta(
        0, 0x51,
        {static_cast<uint8_t>(kMidiFileTempo >> 16), static_cast<uint8_t>(kMidiFileTempo >> 8),
         static_cast<uint8_t>(kMidiFileTempo)});
    const int sharps = std::clamp(content.keySharps, -7, 7);
    conductor.meta(0, 0x59, {static_cast<uint8_t>(static_cast<int8_t>(sharps)), 0});  // major
    std::vector<MidiFileMarker> markers = content.markers;
    std::stable_sort(markers.begin(), markers.end(),
                     [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    for (const MidiFileMarker& m : markers)
        conductor.meta(secondsToTicks(m.seconds), 0x06,
                       std::vector<uint8_t>(m.text.begin(), m.text.end()));

    std::map<int, TrackWriter> channels;
    for (const TimedMessage& m : content.messages) {
        const auto status = static_cast<uint8_t>(m.message & 0xFF);
        const int n = dataBytes(status);
        if (n < 0) continue;
        const auto d1 = static_cast<uint8_t>((m.message >> 8) & 0x7F);
        const auto d2 = static_cast<uint8_t>((m.message >> 16) & 0x7F);
        TrackWriter& track = channels[status & 0x0F];
        if (n == 1)
            track.event(secondsToTicks(m.seconds), {status, d1});
        else
            track.event(secondsToTicks(m.seconds), {status, d1, d2});
    }

    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    put32(out, 6);
    put16(out, 1);  // format 1: simultaneous tracks
    put16(out, static_cast<uint32_t>(1 + channels.size()));
    put16(out, kMidiFileTicksPerQuarter);
    conductor.appendTo(out);
    for (auto& [channel, track] : channels)
        track.appendTo(out);
    return out;
}

}  // namespace muto
