// A small Standard MIDI File reader for the tests: the header, and each track's events with
// absolute ticks. Reads only what the writer under test may produce; anything else fails.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace muto::test {

struct SmfEvent {
    uint32_t tick = 0;
    std::vector<uint8_t> bytes;  // a channel message, or FF type data... for a meta event
    bool operator==(const SmfEvent&) const = default;
};

// "@625 FF 06 ..." in test failures.
inline void PrintTo(const SmfEvent& e, std::ostream* os) {
    *os << "@" << e.tick;
    const char* hex = "0123456789ABCDEF";
    for (uint8_t b : e.bytes)
        *os << ' ' << hex[b >> 4] << hex[b & 15];
}

struct Smf {
    int format = 0;
    int division = 0;
    std::vector<std::vector<SmfEvent>> tracks;
};

inline std::optional<Smf> readSmf(const std::vector<uint8_t>& b) {
    size_t at = 0;
    auto need = [&](size_t n) { return at + n <= b.size(); };
    auto u = [&](int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | b[at++];
        return v;
    };
    auto varLen = [&]() -> std::optional<uint32_t> {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            if (!need(1)) return std::nullopt;
            const uint8_t c = b[at++];
            v = (v << 7) | (c & 0x7F);
            if (!(c & 0x80)) return v;
        }
        return std::nullopt;
    };
    if (!need(14) || std::string(b.begin(), b.begin() + 4) != "MThd") return std::nullopt;
    at = 4;
    if (u(4) != 6) return std::nullopt;
    Smf smf;
    smf.format = static_cast<int>(u(2));
    const uint32_t ntracks = u(2);
    smf.division = static_cast<int>(u(2));
    for (uint32_t t = 0; t < ntracks; ++t) {
        if (!need(8) || std::string(b.begin() + at, b.begin() + at + 4) != "MTrk")
            return std::nullopt;
        at += 4;
        const uint32_t length = u(4);
        const size_t end = at + length;
        if (end > b.size()) return std::nullopt;
        std::vector<SmfEvent> track;
        uint32_t tick = 0;
        bool ended = false;
        while (at < end && !ended) {
            auto delta = varLen();
            if (!delta || !need(1)) return std::nullopt;
            tick += *delta;
            SmfEvent e{tick, {}};
            const uint8_t status = b[at++];
            e.bytes.push_back(status);
            if (status == 0xFF) {
                if (!need(1)) return std::nullopt;
                e.bytes.push_back(b[at++]);
                auto len = varLen();
                if (!len || !need(*len)) return std::nullopt;
                e.bytes.insert(e.bytes.end(), b.begin() + at, b.begin() + at + *len);
                at += *len;
                ended = e.bytes[1] == 0x2F;
            } else if (status >= 0x80 && status < 0xF0) {
                const int n = (status & 0xE0) == 0xC0 ? 1 : 2;
                if (!need(n)) return std::nullopt;
                for (int i = 0; i < n; ++i) {
                    if (b[at] & 0x80) return std::nullopt;
                    e.bytes.push_back(b[at++]);
                }
            } else {
                return std::nullopt;  // running status or system messages: never written
            }
            track.push_back(e);
        }
        if (!ended || at != end) return std::nullopt;
        smf.tracks.push_back(std::move(track));
    }
    if (at != b.size()) return std::nullopt;
    return smf;
}

}  // namespace muto::test
