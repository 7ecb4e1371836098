#include "instrument/instrument.h"

#include <utility>

#include "instrument/key_layout.h"
#include "instrument/midi_message.h"
#include "instrument/vk.h"

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

void Instrument::setKeySignature(int transposition) {
    transposition_ = transposition;
    rebuildGroup(0);
    rebuildGroup(1);
}

void Instrument::setOctave(int group, int octave) {
    octave_[group == 0 ? 0 : 1] = octave;
    rebuildGroup(group);
}

void Instrument::rebuildGroup(int group) {
    const int base = octave(group) * 12 + transposition_;
    for (const NaturalKey& k : keyGroupLayout(group)) {
        const int note = k.note + base + keyAlter[k.vk];
        keyNote[k.vk] = note >= 0 && note <= 255 ? static_cast<uint8_t>(note) : 0;
    }
}

void Instrument::holdSemitone(int k, int direction) {
    sharpHeld = direction > 0;
    flatHeld = direction < 0;
    heldAlter[ix(k)] = 0;
}

void Instrument::releaseSemitone(int k) {
    if (k == vk::kSpace) sharpHeld = false;
    if (k == vk::kCtrl) flatHeld = false;
    heldAlter[ix(k)] = kNotHeld;
}

bool Instrument::alterKey(int k, int delta) {
    uint8_t& note = keyNote[ix(k)];
    if ((delta > 0 && note >= 107) || (delta < 0 && note == 0) || delta == 0) return false;
    note = static_cast<uint8_t>(note + (delta > 0 ? 1 : -1));
    keyAlter[ix(k)] = static_cast<int16_t>(keyAlter[ix(k)] + (delta > 0 ? 1 : -1));
    return true;
}

bool Instrument::toggleDegree(int d, int direction) {
    if (d < 0 || d > 6) return false;
    int16_t& alter = degreeAlter[static_cast<size_t>(d)];
    if (alter != 0) {
        alter = static_cast<int16_t>(-alter);
        return false;
    }
    if (alteredDegreeCount >= 7) return false;
    alter = static_cast<int16_t>(direction);
    alteredDegrees[static_cast<size_t>(alteredDegreeCount++)] = static_cast<int16_t>(d);
    return true;
}

std::vector<int> Instrument::clearDegrees() {
    std::vector<int> cleared;
    for (int i = 0; i < alteredDegreeCount && i < 7; ++i)
        cleared.push_back(alteredDegrees[static_cast<size_t>(i)]);
    degreeAlter.fill(0);
    alteredDegreeCount = 0;
    return cleared;
}

std::vector<int> Instrument::clearKeySet() {
    std::vector<int> changed;
    for (size_t k = 0; k < 256; ++k) {
        if (keyAlter[k] == 0 || keyNote[k] == 0) continue;
        const int natural = keyNote[k] - keyAlter[k];
        keyNote[k] = natural > 0 && natural <= 255 ? static_cast<uint8_t>(natural) : 0;
        keyAlter[k] = 0;
        changed.push_back(static_cast<int>(k));
    }
    return changed;
}

std::vector<KeyEntry> Instrument::applyKeyEntries(const std::vector<KeyEntry>& entries,
                                                  const std::function<bool(int)>& hasKey) {
    std::vector<KeyEntry> applied;
    for (const KeyEntry& e : entries) {
        if (e.note > 127 || !hasKey(e.keyCode)) continue;
        const size_t k = e.keyCode;
        keyAlter[k] = static_cast<int16_t>(e.note - keyNote[k]);
        keyNote[k] = e.note;
        applied.push_back(e);
    }
    return applied;
}

void Instrument::applyKeySignatureCodes(const std::array<uint8_t, 8>& keySig) {
    degreeDirection = keySig[0] == 2 ? -1 : 1;
    std::array<int16_t, 7> alter{};
    for (size_t d = 0; d < 7; ++d)
        alter[d] = static_cast<int16_t>(keySig[1 + d] == 2 ? -1 : (keySig[1 + d] == 1 ? 1 : 0));
    setDegreeAccidentals(alter);
}

void Instrument::setDegreeAccidentals(const std::array<int16_t, 7>& alter) {
    degreeAlter = alter;
    alteredDegreeCount = 0;
    for (int16_t d = 0; d < 7; ++d)
        if (alter[static_cast<size_t>(d)] != 0)
            alteredDegrees[static_cast<size_t>(alteredDegreeCount++)] = d;
}

}  // namespace muto
