// The instrument: which note every PC key plays (the key map with its alterations), the keys
// held and the notes they sound, the Space/Ctrl semitone modifiers and the scale-degree
// accidentals, and the MIDI note messages. It knows no window: the input surfaces, the player
// and the exports play it by key code.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "formats/key_entry.h"

namespace muto {

// The marker of a key that is not held; distinct from every alteration -2..+2.
constexpr int16_t kNotHeld = INT16_MIN;

class Instrument {
public:
    using Send = std::function<void(uint32_t message)>;
    explicit Instrument(Send send);

    // A key's note and the alteration it was struck with.
    struct Struck {
        int note;
        int alter;
    };
    // Sounds key k on channel `channel` (0 or 1): its note, raised by Space or lowered by Ctrl,
    // and moved by the accidental of its scale degree. Nothing sounds, and the key does not
    // become held, when the note would fall outside 0..127.
    std::optional<Struck> press(int k, int channel);
    // Ends the note held key k sounds; the note, or nothing when the key is not held.
    std::optional<int> release(int k, int channel);
    bool isHeld(int k) const;

    // The transposition of the key signature in effect: the scale degrees count from it.
    void setTransposition(int semitones) { transposition_ = semitones; }
    // The key signature (its transposition) and the octave shift of key group g (0: channel 1,
    // 1: channel 2) that the key map is built with; each rebuilds the groups it changes.
    void setKeySignature(int transposition);
    void setOctave(int group, int octave);
    int octave(int group) const { return octave_[group == 0 ? 0 : 1]; }
    // keyNote of every key of group g := natural note + octave × 12 + transposition + keyAlter.
    // A key whose sum would not fit 0..255 is left unmapped (0); the other keys are unaffected.
    void rebuildGroup(int group);
    // Puts accidentals (-1, 0, +1) on the scale degrees; the altered ones are kept in ascending
    // degree order.
    void setDegreeAccidentals(const std::array<int16_t, 7>& alter);
    // Space (+1) or Ctrl (-1) goes down as key k: the newer of the two wins, and k is held
    // without an alteration.
    void holdSemitone(int k, int direction);
    // Space or Ctrl goes up: its semitone ends.
    void releaseSemitone(int k);
    // Key-set editing: moves the note of key k a semitone up (not above 107) or down (not
    // below 0); false when it stays.
    bool alterKey(int k, int delta);
    // F1..F7: puts the accidental of `direction` on degree d, or turns the one it carries the
    // other way. True when the degree has just become altered.
    bool toggleDegree(int d, int direction);
    // Takes every degree accidental off; the degrees that carried one, in the order they were
    // altered.
    std::vector<int> clearDegrees();

    // Drops every key-set alteration: each key plays its natural note again (none when that
    // would not fit). Returns the keys that changed.
    std::vector<int> clearKeySet();
    // Puts saved per-key entries on the key map as it stands: the key plays the entry's note.
    // An entry is skipped when `hasKey` refuses its key or its note is no MIDI note. Returns the
    // entries applied.
    std::vector<KeyEntry> applyKeyEntries(const std::vector<KeyEntry>& entries,
                                          const std::function<bool(int)>& hasKey);
    // The degree direction and accidentals of a performance's key-signature codes: the first
    // gives the direction, one per degree follows (0 none, 1 sharp, 2 flat, anything else none).
    void applyKeySignatureCodes(const std::array<uint8_t, 8>& keySig);

    // The key map: the note of each key code (0: none) and its key-set alteration.
    std::array<uint8_t, 256> keyNote{};
    std::array<int16_t, 256> keyAlter{};
    // The alteration a held key was struck with (kNotHeld when it is not held), and the note it
    // sounds: its note-off names this note even when the key map changed while it was held.
    std::array<int16_t, 256> heldAlter{};
    std::array<int16_t, 256> heldNote{};
    // Space and Ctrl held.
    bool sharpHeld = false;
    bool flatHeld = false;
    // The accidental a degree key puts on next: +1 sharp, -1 flat. Esc turns it round.
    int degreeDirection = 1;
    // The accidental of each scale degree, the degrees altered in the order they were, and
    // the semitone of each degree above the key note.
    std::array<int16_t, 7> degreeAlter{};
    std::array<int16_t, 7> alteredDegrees{};
    int16_t alteredDegreeCount = 0;
    static constexpr std::array<int16_t, 7> kScaleSteps{0, 2, 4, 5, 7, 9, 11};

private:
    Send send_;
    int transposition_ = 0;
    std::array<int, 2> octave_{};
};

}  // namespace muto
