#!/usr/bin/env python3
"""Writes the hand-made performance (vsp/) and key-set (vns/) test files.

Built byte by byte here, independently of the writers under test. Run from this folder."""
import struct


def event(key, down, time):
    return struct.pack('<BBf', key, down, time)


def header(version, settings=(0, 0, 0, 2, 2, 5, 5), damper=(0, 0)):
    out = b'Vesk' + bytes([version]) + bytes(settings)
    if version >= 2:
        out += bytes(damper)
    return out


def entries(*triples):
    return bytes([len(triples)]) + b''.join(bytes([k, n, ord(f)]) for k, n, f in triples)


def ten_events():
    return b''.join(event(65 + i // 2, 1 - i % 2, 100.0 + i * 0.25) for i in range(10))


vsp = {
    'two-events-v4.vsp': header(4) + entries() + bytes([1, 0, 0, 0, 0, 0, 0, 0])
    + event(81, 1, 3600.0) + event(81, 0, 3600.5),
    'v1-ten-events.vsp': header(1) + entries() + ten_events(),
    'v0-layout-of-v1.vsp': header(0, settings=(3, 1, 2, 3, 4, 5, 6)) + entries((81, 61, 's'))
    + ten_events()[:12],
    'v2-damper-entry.vsp': header(2, damper=(1, 1)) + entries((81, 61, 's'))
    + event(81, 1, 10.0) + event(81, 0, 10.5),
    'v3-partial-tail.vsp': header(3) + entries((81, 61, 's'), (87, 63, 'f'))
    + bytes([2, 0, 2, 0, 0, 0, 0, 1]) + event(87, 1, 86399.5) + event(87, 0, 0.25) + b'\x51\x01\x00',
    'v9-layout-of-v4.vsp': header(9, damper=(1, 0)) + entries((65, 70, 'f'))
    + bytes([1, 1, 0, 0, 0, 0, 0, 0]) + event(65, 1, 1.0),
    'v4-two-entries.vsp': header(4) + entries((81, 61, 's'), (87, 61, 'f'))
    + bytes([1, 0, 0, 0, 0, 0, 0, 0]) + event(81, 1, 1.0) + event(81, 0, 1.25)
    + event(87, 1, 1.5) + event(87, 0, 1.75),
    'v4-backward-gap.vsp': header(4) + entries() + bytes([1, 0, 0, 0, 0, 0, 0, 0])
    + event(81, 1, 500.0) + event(81, 0, 500.25) + event(87, 1, 100.0) + event(87, 0, 100.25),
    'magic-lowercase.vsp': b'vesk' + header(4)[4:] + entries() + bytes(8),
    'cut-in-settings.vsp': header(4)[:9],
    'entries-past-end.vsp': header(4) + bytes([5]) + bytes([81, 61, ord('s')]) * 2,
    'cut-in-keysig.vsp': header(3) + entries((81, 61, 's')) + bytes([1, 0, 0]),
}

vns = {
    'default.vns': bytes([0, 2, 2]),
    'q-raised.vns': bytes([3, 1, 3, 0x51, 0x3D, 0x73]),
    'two-left-over.vns': bytes([0, 2, 2, 0x51, 0x3D]),
    'out-of-range.vns': bytes([200, 255, 9, 0xFF, 0x80, ord('x'), 0, 0, 0]),
    'two-bytes.vns': bytes([0, 2]),
}

for folder, files in (('vsp', vsp), ('vns', vns)):
    for name, data in files.items():
        with open(f'{folder}/{name}', 'wb') as f:
            f.write(data)
