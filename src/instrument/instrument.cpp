#include "instrument/instrument.h"

#include <utility>

#include "instrument/midi_message.h"

namespace muto {

namespace {

size_t ix(int k) {
    return static_cast<size_t>(k & 0xFF);
}

}  // namespace

Instrument::Instrument(Send send) : send_(std::move(send)) {
    heldAlter.fill(kNotHeld);
}

bool Instrument::isHeld(int k) const {
    return heldAlter[ix(k)] != kNotHeld;
}

std::optional<Instrument::Struck> Instrument::press(int k, int channel) {
    int a = sharpHeld ? 1 : (flatHeld ? -1 : 0);
    if (alteredDegreeCount > 0) {
        const int r = (keyNote[ix(k)] - transposition_) % 12;
        for (int i = 0; i < alteredDegreeCount && i < 7; ++i) {
            const auto d = static_cast<size_t>(alteredDegrees[static_cast<size_t>(i)]);
            if (d < 7 && r == kScaleSteps[d]) {
                a += degreeAlter[d];
                break;
            }
        }
    }
    const int n = keyNote[ix(k)] + a;
    const auto msg = noteOnMsg(channel, n);
    if (!msg) return std::nullopt;
    heldAlter[ix(k)] = static_cast<int16_t>(a);
    heldNote[ix(k)] = static_cast<int16_t>(n);
    send_(*msg);
    return Struck{n, a};
}

std::optional<int> Instrument::release(int k, int channel) {
    if (!isHeld(k)) return std::nullopt;
    const int n = heldNote[ix(k)];
    if (auto msg = noteOffMsg(channel, n)) send_(*msg);
    heldAlter[ix(k)] = kNotHeld;
    return n;
}

void Instrument::setDegreeAccidentals(const std::array<int16_t, 7>& alter) {
    degreeAlter = alter;
    alteredDegreeCount = 0;
    for (int16_t d = 0; d < 7; ++d)
        if (alter[static_cast<size_t>(d)] != 0)
            alteredDegrees[static_cast<size_t>(alteredDegreeCount++)] = d;
}

}  // namespace muto
