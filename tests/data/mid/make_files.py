#!/usr/bin/env python3
"""Writes the Standard MIDI Files of the import tests, byte by byte, independently of the reader
under test. Run from this folder.

Each file and what it is for:
  scale.mid            format 0, C major scale up and down, default tempo, running status
  chords.mid           format 0, I-IV-V-I block chords in F major, key-signature event, organ
  accidentals.mid      format 0, a chromatic melody, note-on velocity 0 as note-off, no key event
  two-hands.mid        format 1: conductor (tempo, G major), right hand, left hand, drums
  tempo-changes.mid    format 1: steady eighths through tempo changes 120, 60, 240 BPM
  smpte.mid            25 frames of 40 ticks: one tick is a millisecond
  minuet.mid           the Minuet in G of the Notebook for Anna Magdalena Bach, bars 1-16
  fur-elise.mid        the opening of "Für Elise", bars 1-8 with the upbeat
  arirang.mid          the Korean folk song "Arirang", melody and a drone
  practice.mid         three quarter notes G4 A4 B4 for the window test of practice (T, Y, U)
  not-midi.mid         text, not a MIDI file
  cut-short.mid        two-hands.mid cut after two of its four tracks
  cut-in-header.mid    the first 10 bytes of scale.mid
  track-past-end.mid   a track whose length reaches 100 bytes past the end of the file
  no-notes.mid         only a tempo and drum notes
  zero-division.mid    a header with division 0
"""
import struct


def var_len(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(out))


def track(events, running=False):
    """events: (tick, bytes) in order; absolute ticks. With `running` the status of a channel
    message equal to the previous one is left out."""
    out = b''
    last_tick, last_status = 0, None
    for tick, data in events:
        out += var_len(tick - last_tick)
        last_tick = tick
        status = data[0]
        if running and status < 0xF0 and status == last_status:
            out += data[1:]
        else:
            out += data
        last_status = status if status < 0xF0 else None
    out += b'\x00\xFF\x2F\x00'
    return b'MTrk' + struct.pack('>I', len(out)) + out


def header(fmt, ntracks, division):
    return b'MThd' + struct.pack('>IHHH', 6, fmt, ntracks, division)


def notes(seq, channel=0, velocity=80, zero_off=False, start=0):
    """seq: (pitch or list of pitches or None for a rest, length in ticks). Returns events."""
    ev, t = [], start
    for pitches, length in seq:
        if pitches is not None:
            ps = pitches if isinstance(pitches, list) else [pitches]
            for p in ps:
                ev.append((t, bytes([0x90 | channel, p, velocity])))
            for p in ps:
                off = bytes([0x90 | channel, p, 0]) if zero_off else bytes([0x80 | channel, p, 64])
                ev.append((t + length, off))
        t += length
    ev.sort(key=lambda e: (e[0], e[1][2] != 0 and e[1][0] & 0xF0 == 0x90))
    return ev


def tempo(tick, bpm):
    return (tick, b'\xFF\x51\x03' + struct.pack('>I', round(60000000 / bpm))[1:])


def key_sig(tick, sharps, minor=0):
    return (tick, b'\xFF\x59\x02' + bytes([sharps & 0xFF, minor]))


def program(tick, channel, number):
    return (tick, bytes([0xC0 | channel, number]))


N = {n: i for i, n in enumerate(['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B'])}


def p(name):
    """'C4' is 60, 'F#5' is 78."""
    return 12 * (int(name[-1]) + 1) + N[name[:-1]]


def seq(text, unit):
    """'D5:2 G4 A4 - [G3,B3]:4': pitch names with lengths in units, '-' a rest of one unit."""
    out = []
    for word in text.split():
        name, _, mult = word.partition(':')
        length = unit * (int(mult) if mult else 1)
        if name == '-':
            out.append((None, length))
        elif name.startswith('['):
            out.append(([p(x) for x in name[1:-1].split(',')], length))
        else:
            out.append((p(name), length))
    return out


files = {}

Q = 96
files['scale.mid'] = header(0, 1, Q) + track(
    notes(seq('C4 D4 E4 F4 G4 A4 B4 C5 B4 A4 G4 F4 E4 D4 C4:2', Q)), running=True)

files['chords.mid'] = header(0, 1, Q) + track(
    [key_sig(0, -1), program(0, 0, 19)]
    + notes(seq('[F3,A3,C4]:2 [A#3,D4,F4]:2 [C4,E4,G4]:2 [F3,A3,C4]:4', Q)))

files['accidentals.mid'] = header(0, 1, Q) + track(
    notes(seq('C4 D4 D#4 E4 F4 F#4 G4 G#4 A4 A#4 B4 C5:2 A#4 G#4 F#4 C#4 C4:2', Q // 2),
          zero_off=True), running=True)

E = Q // 2
rh = seq('D5:2 G4 A4 B4 C5 D5:2 G4:2 G4:2 E5:2 C5 D5 E5 F#5 G5:2 G4:2 G4:2', E)
lh = seq('[G3,B3,D4]:4 A3:2 B3:6 C4:6 B3:6', E)
files['two-hands.mid'] = header(1, 4, Q) + track([tempo(0, 100), key_sig(0, 1)]) + track(
    [program(0, 0, 0)] + notes(rh, 0), running=True) + track(
    [program(0, 1, 32)] + notes(lh, 1)) + track(notes(seq('C2 C2 C2 C2', Q), 9))

eighths = seq(' '.join(['C5', 'E5', 'G5', 'E5'] * 6), E)
files['tempo-changes.mid'] = header(1, 2, Q) + track(
    [tempo(0, 120), tempo(8 * E, 60), tempo(16 * E, 240)]) + track(notes(eighths))

files['smpte.mid'] = header(0, 1, (0x100 - 25) << 8 | 40) + track(
    notes([(60, 500), (None, 250), (64, 500), (67, 1000)]))

# Minuet in G, BWV Anh. 114: 3/4, in eighths.
minuet_rh = seq(
    'D5:2 G4 A4 B4 C5 D5:2 G4:2 G4:2 E5:2 C5 D5 E5 F#5 G5:2 G4:2 G4:2 '
    'C5:2 D5 C5 B4 A4 B4:2 C5 B4 A4 G4 F#4:2 G4 A4 B4 G4 A4:6 '
    'D5:2 G4 A4 B4 C5 D5:2 G4:2 G4:2 E5:2 C5 D5 E5 F#5 G5:2 G4:2 G4:2 '
    'C5:2 D5 C5 B4 A4 B4:2 C5 B4 A4 G4 A4:2 B4 A4 G4 F#4 G4:6', E)
minuet_lh = seq(
    '[G3,B3,D4]:4 A3:2 B3:6 C4:6 B3:6 A3:6 G3:6 D4:2 B3:2 G3:2 D4:2 D3 C4 B3 A3 '
    'B3:4 A3:2 G3:2 B3:2 G3:2 C4:6 B3:2 C4 B3 A3 G3 A3:4 F#3:2 G3:4 B3:2 C4:2 D4:2 D3:2 '
    'G3:4 G2:2', E)
files['minuet.mid'] = header(1, 3, Q) + track([tempo(0, 132), key_sig(0, 1)]) + track(
    [program(0, 0, 6)] + notes(minuet_rh, 0)) + track([program(0, 1, 6)] + notes(minuet_lh, 1))

# Für Elise, WoO 59: 3/8 in sixteenths, upbeat of two. No key event: A minor is found.
S = Q // 4
elise_rh = seq(
    'E5 D#5 E5 D#5 E5 B4 D5 C5 A4:2 - C4 E4 A4 B4:2 - E4 G#4 B4 C5:2 - E4 E5 D#5 '
    'E5 D#5 E5 B4 D5 C5 A4:2 - C4 E4 A4 B4:2 - E4 C5 B4 A4:4', S)
elise_lh = seq(
    '-:2 -:6 A2 E3 A3 -:3 E2 E3 G#3 -:3 A2 E3 A3 -:3 -:6 A2 E3 A3 -:3 E2 E3 G#3 -:3 A2 E3 A3', S)
files['fur-elise.mid'] = header(1, 3, Q) + track([tempo(0, 70)]) + track(
    notes(elise_rh, 0), running=True) + track(notes(elise_lh, 1), running=True)

# Arirang: 3/4 in eighths, G major pentatonic, with a drone of open fifths.
arirang = seq(
    'D5:3 E5 D5 E5 G5:3 A5 G5 A5 B5:2 A5 G5 E5 D5 E5:3 G5 E5 D5 '
    'B5:3 B5 A5 G5 A5:3 B5 A5 G5 E5:2 D5:2 E5 G5 G5:6 '
    'D5:3 E5 D5 E5 G5:3 A5 G5 A5 B5:2 A5 G5 E5 D5 E5:3 G5 E5 D5 '
    'D5:3 E5 G5 A5 B5:2 A5 G5 E5 D5 E5:2 G5 A5 G5:2 G5:6', E)
drone = seq(' '.join(['[G3,D4]:6'] * 16), E)
files['arirang.mid'] = header(1, 3, Q) + track([tempo(0, 90), key_sig(0, 1)]) + track(
    [program(0, 0, 73)] + notes(arirang, 0)) + track([program(0, 1, 48)] + notes(drone, 1))

files['practice.mid'] = header(0, 1, Q) + track(notes(seq('G4:2 A4:2 B4:2', E)))

files['not-midi.mid'] = b'This is a text file, not a MIDI file.\n'
two_tracks = header(1, 4, Q) + track([tempo(0, 100), key_sig(0, 1)]) + track(
    [program(0, 0, 0)] + notes(rh, 0), running=True)
files['cut-short.mid'] = files['two-hands.mid'][:len(two_tracks)]
files['cut-in-header.mid'] = files['scale.mid'][:10]
files['track-past-end.mid'] = header(0, 1, Q) + b'MTrk' + struct.pack('>I', 12 + 100) + (
    b'\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00')
files['no-notes.mid'] = header(0, 1, Q) + track([tempo(0, 120)] + notes(seq('C2 D2', Q), 9))
files['zero-division.mid'] = header(0, 1, 0) + track(notes(seq('C4', Q)))

for name, data in files.items():
    with open(name, 'wb') as f:
        f.write(data)
