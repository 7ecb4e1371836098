#include "formats/smf_reader.h"

#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <string_view>
#include <tuple>
#include <utility>

namespace muto {

namespace {

constexpr std::string_view kHeaderId = "MThd";
constexpr std::string_view kTrackId = "MTrk";
constexpr uint32_t kDefaultTempo = 500000;  // µs per quarter note: 120 BPM
constexpr uint8_t kDrumChannel = 9;         // channel 10

// A note or a tempo change where the file puts it, before ticks become seconds.
struct TickNote {
    uint64_t start = 0, end = 0;
    uint8_t pitch = 0, velocity = 0;
    uint16_t part = 0;
};
struct TempoChange {
    uint64_t tick = 0;
    uint32_t usPerQuarter = kDefaultTempo;
};

uint32_t bigEndian(std::span<const uint8_t> b, std::size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

bool idAt(std::span<const uint8_t> b, std::size_t at, std::string_view id) {
    return b.size() >= at + id.size() &&
           std::equal(id.begin(), id.end(), b.begin() + at,
                      [](char c, uint8_t u) { return uint8_t(c) == u; });
}

// The events of one track chunk.
class TrackReader {
public:
    TrackReader(std::span<const uint8_t> data, uint16_t track, MidiSong& song,
                std::vector<TickNote>& notes, std::vector<TempoChange>& tempos,
                std::optional<std::pair<uint64_t, int>>& keySig)
        : d_(data), track_(track), song_(song), notes_(notes), tempos_(tempos), keySig_(keySig) {}

    std::optional<ReadFailure> read() {
        while (at_ < d_.size()) {
            const auto delta = varLen();
            if (!delta) return failure_;
            tick_ += *delta;
            if (at_ >= d_.size()) return ReadFailure::Truncated;
            uint8_t status = d_[at_];
            if (status >= 0x80) {
                ++at_;
            } else if (running_ == 0) {
                return ReadFailure::Malformed;  // a data byte with no status to run on
            } else {
                status = running_;
            }
            std::optional<ReadFailure> f;
            bool ended = false;
            if (status == 0xFF) {
                f = meta(ended);
            } else if (status == 0xF0 || status == 0xF7) {
                running_ = 0;
                f = skipLength();
            } else if (status >= 0xF0) {
                f = ReadFailure::Malformed;  // real-time and common messages have no place here
            } else {
                running_ = status;
                f = channelMessage(status);
            }
            if (f) return f;
            if (ended) break;
        }
        // Notes still sounding end with the track.
        for (auto& [key, starts] : open_)
            for (const auto& [start, velocity] : starts)
                addNote(static_cast<uint16_t>(key >> 8), static_cast<uint8_t>(key & 0xFF), start,
                        tick_, velocity);
        return std::nullopt;
    }

private:
    std::optional<uint32_t> varLen() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            if (at_ >= d_.size()) {
                failure_ = ReadFailure::Truncated;
                return std::nullopt;
            }
            const uint8_t c = d_[at_++];
            v = (v << 7) | (c & 0x7F);
            if ((c & 0x80) == 0) return v;
        }
        failure_ = ReadFailure::Malformed;
        return std::nullopt;
    }

    std::optional<ReadFailure> skipLength() {
        const auto n = varLen();
        if (!n) return failure_;
        if (*n > d_.size() - at_) return ReadFailure::Truncated;
        at_ += *n;
        return std::nullopt;
    }

    std::optional<ReadFailure> meta(bool& ended) {
        running_ = 0;
        if (at_ >= d_.size()) return ReadFailure::Truncated;
        const uint8_t type = d_[at_++];
        const auto n = varLen();
        if (!n) return failure_;
        if (*n > d_.size() - at_) return ReadFailure::Truncated;
        const std::span<const uint8_t> data = d_.subspan(at_, *n);
        at_ += *n;
        if (type == 0x2F) {
            ended = true;
        } else if (type == 0x51 && data.size() >= 3) {
            tempos_.push_back({tick_, bigEndian(data, 0, 3)});
        } else if (type == 0x59 && data.size() >= 2) {
            const int sharps = static_cast<int8_t>(data[0]);
            if (sharps >= -7 && sharps <= 7 && (!keySig_ || tick_ < keySig_->first))
                keySig_ = std::make_pair(tick_, sharps);
        }
        return std::nullopt;
    }

    std::optional<ReadFailure> channelMessage(uint8_t status) {
        const int size = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (d_.size() - at_ < static_cast<std::size_t>(size)) return ReadFailure::Truncated;
        std::array<uint8_t, 2> b{d_[at_], size == 2 ? d_[at_ + 1] : uint8_t(0)};
        at_ += static_cast<std::size_t>(size);
        if ((b[0] | b[1]) & 0x80) return ReadFailure::Malformed;
        const uint8_t channel = status & 0x0F;
        const uint8_t kind = status & 0xF0;
        if (kind == 0xC0) {
            MidiPart& p = song_.parts[partOf(channel)];
            if (p.program < 0) p.program = b[0];
        } else if (kind == 0x90 && b[1] > 0) {
            if (channel == kDrumChannel) {
                ++song_.drumNotes;
                return std::nullopt;
            }
            open_[key(partOf(channel), b[0])].push_back({tick_, b[1]});
        } else if (kind == 0x80 || kind == 0x90) {
            if (channel == kDrumChannel) return std::nullopt;
            auto it = open_.find(key(partOf(channel), b[0]));
            if (it == open_.end() || it->second.empty()) return std::nullopt;
            const auto [start, velocity] = it->second.front();
            it->second.pop_front();
            addNote(partOf(channel), b[0], start, tick_, velocity);
        }
        return std::nullopt;
    }

    static uint32_t key(uint16_t part, uint8_t pitch) { return (uint32_t(part) << 8) | pitch; }

    uint16_t partOf(uint8_t channel) {
        if (partIndex_[channel] < 0) {
            partIndex_[channel] = static_cast<int>(song_.parts.size());
            song_.parts.push_back({track_, channel, -1});
        }
        return static_cast<uint16_t>(partIndex_[channel]);
    }

    void addNote(uint16_t part, uint8_t pitch, uint64_t start, uint64_t end, uint8_t velocity) {
        notes_.push_back({start, end, pitch, velocity, part});
    }

    std::span<const uint8_t> d_;
    std::size_t at_ = 0;
    uint64_t tick_ = 0;
    uint8_t running_ = 0;
    ReadFailure failure_ = ReadFailure::Truncated;
    uint16_t track_;
    MidiSong& song_;
    std::vector<TickNote>& notes_;
    std::vector<TempoChange>& tempos_;
    std::optional<std::pair<uint64_t, int>>& keySig_;
    std::array<int, 16> partIndex_ = [] {
        std::array<int, 16> a{};
        a.fill(-1);
        return a;
    }();
    // Start tick and velocity of the notes sounding, first started first, by part and pitch.
    std::map<uint32_t, std::deque<std::pair<uint64_t, uint8_t>>> open_;
};

// Ticks to seconds through the tempo changes (ignored with an SMPTE division).
class TickClock {
public:
    TickClock(uint16_t division, std::vector<TempoChange> tempos) {
        if (division & 0x8000) {
            // Frames per second as a negative byte (29 stands for 29.97 drop-frame), then ticks
            // per frame.
            const int fps = -static_cast<int8_t>(division >> 8);
            const double rate = fps == 29 ? 29.97 : fps;
            smpteSecondsPerTick_ = 1.0 / (rate * (division & 0xFF));
            return;
        }
        ticksPerQuarter_ = division;
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        segments_.push_back({0, 0.0, kDefaultTempo});
        for (const TempoChange& t : tempos) {
            const Segment& last = segments_.back();
            segments_.push_back({t.tick, last.seconds + span(last, t.tick), t.usPerQuarter});
        }
    }

    double seconds(uint64_t tick) const {
        if (smpteSecondsPerTick_ > 0) return static_cast<double>(tick) * smpteSecondsPerTick_;
        auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                   [](uint64_t t, const Segment& s) { return t < s.tick; });
        const Segment& s = *std::prev(it);
        return s.seconds + span(s, tick);
    }

private:
    struct Segment {
        uint64_t tick;
        double seconds;  // at `tick`
        uint32_t usPerQuarter;
    };
    double span(const Segment& s, uint64_t tick) const {
        return static_cast<double>(tick - s.tick) * s.usPerQuarter / 1e6 / ticksPerQuarter_;
    }

    double smpteSecondsPerTick_ = 0;
    double ticksPerQuarter_ = 1;
    std::vector<Segment> segments_;
};

}  // namespace

ReadResult<MidiSong> readMidiFile(std::span<const uint8_t> b) {
    // A file shorter than the header's name is cut short when it begins like one.
    if (b.size() < kHeaderId.size())
        return std::equal(b.begin(), b.end(), kHeaderId.begin(),
                          [](uint8_t u, char c) { return u == uint8_t(c); })
                   ? ReadFailure::Truncated
                   : ReadFailure::BadMagic;
    if (!idAt(b, 0, kHeaderId)) return ReadFailure::BadMagic;
    if (b.size() < 8) return ReadFailure::Truncated;
    const uint32_t headerLength = bigEndian(b, 4, 4);
    if (headerLength < 6) return ReadFailure::Malformed;
    if (headerLength > b.size() - 8)
        return b.size() < 14 ? ReadFailure::Truncated : ReadFailure::Overrun;

    MidiSong song;
    song.format = static_cast<int>(bigEndian(b, 8, 2));
    const uint32_t declaredTracks = bigEndian(b, 10, 2);
    const auto division = static_cast<uint16_t>(bigEndian(b, 12, 2));
    if ((division & 0x8000) ? (division & 0xFF) == 0 || (division >> 8) == 0x80 : division == 0)
        return ReadFailure::Malformed;

    std::vector<TickNote> notes;
    std::vector<TempoChange> tempos;
    std::optional<std::pair<uint64_t, int>> keySig;
    uint32_t tracks = 0;
    std::size_t at = 8 + headerLength;
    while (at < b.size() && tracks < declaredTracks) {
        if (b.size() - at < 8) return ReadFailure::Truncated;
        const uint32_t length = bigEndian(b, at + 4, 4);
        if (length > b.size() - at - 8) return ReadFailure::Overrun;
        const std::span<const uint8_t> data = b.subspan(at + 8, length);
        const bool isTrack = idAt(b, at, kTrackId);
        at += 8 + std::size_t{length};
        if (!isTrack) continue;  // chunks of other kinds are skipped
        TrackReader reader(data, static_cast<uint16_t>(tracks), song, notes, tempos, keySig);
        if (auto failure = reader.read()) return *failure;
        ++tracks;
    }
    if (tracks < declaredTracks) return ReadFailure::Truncated;
    if (notes.empty()) return ReadFailure::Empty;

    const TickClock clock(division, std::move(tempos));
    std::stable_sort(notes.begin(), notes.end(), [](const TickNote& x, const TickNote& y) {
        return std::tie(x.start, x.part, x.pitch) < std::tie(y.start, y.part, y.pitch);
    });
    song.notes.reserve(notes.size());
    for (const TickNote& n : notes)
        song.notes.push_back(
            {clock.seconds(n.start), clock.seconds(n.end), n.pitch, n.velocity, n.part});
    if (keySig) song.keySharps = keySig->second;
    return song;
}

}  // namespace muto
