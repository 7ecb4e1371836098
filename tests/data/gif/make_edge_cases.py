#!/usr/bin/env python3
"""Writes the hand-made GIF edge cases of this folder. Each file's reason is in README.md.

The image data is plain LZW: every pixel is its own code and a clear code comes before the
code width would grow, so the files do not depend on any encoder under test.
Run from this folder: python3 make_edge_cases.py
"""
import struct


def lzw_plain(pixels, min_code=2, corrupt_after=None):
    clear = 1 << min_code
    width = min_code + 1
    group = clear - 2  # codes per clear: keeps the code width at min_code + 1
    codes = []
    for i, p in enumerate(pixels):
        if i % group == 0:
            codes.append(clear)
        if corrupt_after is not None and i == corrupt_after:
            codes.append((1 << width) - 1)  # a code beyond the table
        codes.append(p)
    codes.append(clear + 1)
    acc = bits = 0
    out = bytearray()
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def header(w, h, table=None, sig=b"GIF89a"):
    packed = 0
    body = b""
    if table is not None:
        bits = max(1, (len(table) - 1).bit_length())
        packed = 0x80 | (bits - 1)
        body = colour_table(table, bits)
    return sig + struct.pack("<HHBBB", w, h, packed, 0, 0) + body


def colour_table(colours, bits):
    out = bytearray()
    for i in range(1 << bits):
        c = colours[i] if i < len(colours) else 0
        out += bytes([(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF])
    return bytes(out)


def gce(delay=0, disposal=0, transparent=None, disposal_field=None):
    field = disposal if disposal_field is None else disposal_field
    packed = (field & 7) << 2 | (1 if transparent is not None else 0)
    return bytes([0x21, 0xF9, 4, packed]) + struct.pack("<H", delay) + \
        bytes([transparent or 0, 0])


def image(left, top, w, h, pixels, local=None, interlaced=False, min_code=2,
          corrupt_after=None, raw_min_code=None):
    packed = 0x40 if interlaced else 0
    table = b""
    if local is not None:
        bits = max(1, (len(local) - 1).bit_length())
        packed |= 0x80 | (bits - 1)
        table = colour_table(local, bits)
    data = lzw_plain(pixels, min_code, corrupt_after)
    code_size = min_code if raw_min_code is None else raw_min_code
    return b"\x2C" + struct.pack("<HHHHB", left, top, w, h, packed) + table + \
        bytes([code_size]) + sub_blocks(data)


def netscape(loops, ident=b"NETSCAPE2.0", sub_len=3):
    body = bytes([1]) + struct.pack("<H", loops) + b"\x00" * (sub_len - 3)
    return b"\x21\xFF" + bytes([len(ident)]) + ident + bytes([sub_len]) + body + b"\x00"


PAL4 = [0x000000, 0xFF0000, 0x00FF00, 0x0000FF]
PAL16 = [(i * 0x111111) & 0xFFFFFF for i in range(16)]
TRAILER = b"\x3B"


def solid(w, h, v):
    return [v] * (w * h)


def pattern(w, h, n=4):
    return [(x + 2 * y) % n for y in range(h) for x in range(w)]


files = {}

files["signature-upper.gif"] = header(4, 4, PAL4, b"GIF89A") + image(0, 0, 4, 4, pattern(4, 4)) + TRAILER
files["gif87a-plain.gif"] = header(3, 2, PAL4, b"gif87a") + image(0, 0, 3, 2, pattern(3, 2)) + TRAILER
files["signature-gif88a.gif"] = header(4, 4, PAL4, b"GIF88a") + image(0, 0, 4, 4, pattern(4, 4)) + TRAILER
files["netscape-lowercase.gif"] = (header(2, 2, PAL4) + netscape(7, b"netscape2.0") +
                                   image(0, 0, 2, 2, pattern(2, 2)) + TRAILER)
files["netscape-subblock-5.gif"] = (header(2, 2, PAL4) + netscape(9, sub_len=5) +
                                    image(0, 0, 2, 2, pattern(2, 2)) +
                                    image(0, 0, 2, 2, solid(2, 2, 3)) + TRAILER)
files["loops-65535.gif"] = header(2, 2, PAL4) + netscape(0xFFFF) + image(0, 0, 2, 2, pattern(2, 2)) + TRAILER
files["delay-65535.gif"] = header(2, 2, PAL4) + gce(delay=0xFFFF) + image(0, 0, 2, 2, pattern(2, 2)) + TRAILER
files["disposal-fold.gif"] = (header(2, 2, PAL4) + gce(disposal=3) + image(0, 0, 2, 2, solid(2, 2, 1)) +
                              gce(disposal_field=7) + image(0, 0, 2, 2, solid(2, 2, 2)) +
                              gce(disposal_field=6) + image(0, 0, 2, 2, solid(2, 2, 3)) + TRAILER)
files["canvas-from-frames.gif"] = header(100, 100, PAL4) + image(10, 20, 50, 30, pattern(50, 30)) + TRAILER
files["two-gce.gif"] = (header(2, 2, PAL4) + gce(delay=5, disposal=2, transparent=1) +
                        gce(delay=7, disposal=1) + image(0, 0, 2, 2, pattern(2, 2)) +
                        image(0, 0, 2, 2, solid(2, 2, 1)) + TRAILER)
files["stray-zeros-no-trailer.gif"] = (header(2, 2, PAL4) + b"\x00\x00" + image(0, 0, 2, 2, pattern(2, 2)) +
                                       b"\x00" + gce(delay=3) + b"\x00\x00\x00" +
                                       image(0, 0, 2, 2, solid(2, 2, 2)))
whole = (header(8, 8, PAL4) + image(0, 0, 8, 8, pattern(8, 8)) + image(0, 0, 8, 8, solid(8, 8, 2)))
files["truncated-frame3.gif"] = (whole + image(0, 0, 8, 8, pattern(8, 8, 3)))[:len(whole) + 20]
files["local-table-order.gif"] = (header(2, 2, PAL4) + image(0, 0, 2, 2, pattern(2, 2), local=PAL4) +
                                  image(0, 0, 2, 2, pattern(2, 2)) +
                                  image(0, 0, 2, 2, pattern(2, 2), local=PAL16[:4]) +
                                  image(0, 0, 2, 2, pattern(2, 2)) +
                                  image(0, 0, 2, 2, pattern(2, 2), local=PAL4[::-1]) + TRAILER)
files["no-colour-table.gif"] = (header(2, 2) + image(0, 0, 2, 2, pattern(2, 2), local=PAL4) +
                                image(0, 0, 2, 2, pattern(2, 2)) + TRAILER)
files["interlaced.gif"] = header(3, 11, PAL16) + image(0, 0, 3, 11, [
    (y * 3 + x) % 16 for y in [0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9] for x in range(3)],
    interlaced=True, min_code=4) + TRAILER
files["corrupt-lzw.gif"] = (header(4, 4, PAL4) + image(0, 0, 4, 4, pattern(4, 4)) +
                            image(0, 0, 4, 4, solid(4, 4, 3), corrupt_after=6) + TRAILER)
files["bad-code-size.gif"] = (header(4, 4, PAL4) + image(0, 0, 4, 4, pattern(4, 4)) +
                              image(0, 0, 4, 4, solid(4, 4, 3), raw_min_code=12) + TRAILER)
files["empty.gif"] = b""
files["short-signature.gif"] = b"GIF89"
files["header-only.gif"] = header(4, 4, PAL4) + TRAILER
files["cut-in-global-table.gif"] = header(4, 4, PAL16)[:30]
files["extensions-skipped.gif"] = (header(2, 2, PAL4) + b"\x21\xFE\x05hello\x00" +
                                   b"\x21\x01\x0C" + b"\x00" * 12 + b"\x02hi\x00" +
                                   image(0, 0, 2, 2, pattern(2, 2)) + TRAILER)
files["unknown-block-ends-scan.gif"] = (header(2, 2, PAL4) + image(0, 0, 2, 2, pattern(2, 2)) + b"\x99" +
                                        image(0, 0, 2, 2, solid(2, 2, 1)) + TRAILER)
# Composition cases (4 x 4 canvas unless said otherwise).
files["disposal2-both.gif"] = (header(4, 4, PAL4) + gce(10, 2) + image(0, 0, 4, 4, solid(4, 4, 1)) +
                               gce(10, 2) + image(1, 1, 2, 2, solid(2, 2, 2)) + TRAILER)
files["disposal1-cover.gif"] = (header(4, 4, PAL4) + gce(10, 1) + image(0, 0, 4, 4, solid(4, 4, 1)) +
                                gce(10, 1) + image(1, 1, 2, 2, solid(2, 2, 2)) + TRAILER)
files["transparent-first.gif"] = (header(4, 4, PAL4) + gce(10, 0, transparent=0) +
                                  image(0, 0, 4, 4, [0, 1, 0, 1] * 4) +
                                  gce(10, 0) + image(0, 0, 2, 2, solid(2, 2, 3)) + TRAILER)
files["small-first.gif"] = (header(4, 4, PAL4) + gce(10, 1) + image(0, 0, 2, 2, solid(2, 2, 1)) +
                            gce(10, 1) + image(2, 2, 2, 2, solid(2, 2, 2)) + TRAILER)
files["disposal3-middle.gif"] = (header(4, 4, PAL4) + gce(10, 1) + image(0, 0, 4, 4, solid(4, 4, 1)) +
                                 gce(10, 3) + image(0, 0, 2, 4, solid(2, 4, 2)) +
                                 gce(10, 1) + image(2, 0, 2, 4, solid(2, 4, 3)) + TRAILER)
files["transparent-then-opaque.gif"] = (header(4, 4, PAL4) + gce(10, 2, transparent=1) +
                                        image(0, 0, 4, 4, pattern(4, 4)) +
                                        gce(10, 2) + image(0, 0, 4, 4, solid(4, 4, 1)) + TRAILER)
files["local-16-export.gif"] = (header(4, 4, PAL4) + image(0, 0, 4, 4, pattern(4, 4, 16), local=PAL16,
                                                           min_code=4) + TRAILER)
# An application block whose 255-byte identifier starts with a zero and an image: cut inside the
# identifier, the file must not show that image as a second frame.
HIDDEN = b"\x00" + image(0, 0, 2, 2, solid(2, 2, 3))
files["app-identifier-hides-image.gif"] = (header(2, 2, PAL4) + image(0, 0, 2, 2, pattern(2, 2)) +
                                           b"\x21\xFF\xFF" + HIDDEN + b"A" * (255 - len(HIDDEN)) +
                                           b"\x00" + TRAILER)

if __name__ == "__main__":
    for name, data in sorted(files.items()):
        with open(name, "wb") as f:
            f.write(data)
