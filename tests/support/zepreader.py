#!/usr/bin/env python3
"""A reader of .zep topic files that shares no code with the program.

Usage: zepreader.py FILE.zep

Prints one JSON object (UTF-8, keys sorted) with everything the file holds: the magic, the key
list, every header field (optional fields the key list does not name take their defaults and are
listed under "absent"), every object record with all its fields, and the picture's PNG header.
Captions appear twice: "CapText" as stored (the comma text) and "Cap" as it reads back (lines
joined with CR LF, trimmed). Reals are printed in their shortest exact form; NaN and infinities
as the strings "NaN", "Infinity" and "-Infinity".

A file that is truncated or inconsistent anywhere is refused: a message on stderr, exit code 1.
That includes a PNG with a bad chunk CRC, a missing or misplaced critical chunk, image data that
does not inflate to exactly the size the header asks for, a row with an unknown filter, and
anything after the IEND chunk (the picture runs to the end of the file).

Only the Python standard library is used.
"""

import binascii
import json
import math
import struct
import sys
import zlib

MAGIC_PREFIX = "ALF-"
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"

# Windows-1252 bytes 0x80 to 0x9F; the five bytes the code page leaves unassigned stand for the
# control characters of the same number, as Windows decodes them.
UPPER_BLOCK = (
    "\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021"
    "\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f"
    "\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014"
    "\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178"
)

# Optional header fields in file order: key, field name, kind.
OPTIONAL_HEADER = (
    ("HD-lueckentext", "lueckentext", "string"),
    ("HD-fragentext", "fragentext", "string"),
    ("HD-AnzFrageNummern", "AnzFrageNummern", "int"),
    ("HD-DokTyp", "DokTyp", "int"),
    ("HD-RandErw", "RandErw", "margins"),
    ("HD-NumArt", "NumArt", "int"),
    ("HD-GeordnetArt", "GeordnetArt", "int"),
)
HEADER_DEFAULTS = {
    "lueckentext": "",
    "fragentext": "",
    "AnzFrageNummern": 0,
    "DokTyp": 0,
    "RandErw": [0.0, 0.0, 0.0, 0.0],
    "NumArt": 0,
    "GeordnetArt": 0,
}
RECORD_INTS = ("KAusr", "TAusr", "Ebene", "Typ", "Sline", "Fsize", "KAusrAkt")
# Four reals, the caption's byte count and seven ints: the least a record can take.
SMALLEST_RECORD = 4 * 8 + 4 + 7 * 4

# Colour type: allowed bit depths and samples per pixel.
PNG_COLOUR_TYPES = {
    0: ((1, 2, 4, 8, 16), 1),
    2: ((8, 16), 3),
    3: ((1, 2, 4, 8), 1),
    4: ((8, 16), 2),
    6: ((8, 16), 4),
}
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


class Refused(Exception):
    pass


def cp1252(data):
    return "".join(UPPER_BLOCK[b - 0x80] if 0x80 <= b <= 0x9F else chr(b) for b in data)


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, count, what):
        if count > len(self.data) - self.pos:
            raise Refused("%s at byte %d: %d bytes needed, %d left" % (what, self.pos, count, len(self.data) - self.pos))
        chunk = self.data[self.pos : self.pos + count]
        self.pos += count
        return chunk

    def int(self, what):
        return struct.unpack("<i", self.take(4, what))[0]

    def real(self, what):
        return struct.unpack("<d", self.take(8, what))[0]

    def string(self, what):
        start = self.pos
        count = self.int(what + " (byte count)")
        if count < 0 or count > len(self.data) - self.pos:
            raise Refused("%s at byte %d: byte count %d, %d bytes left" % (what, start, count, len(self.data) - self.pos))
        return cp1252(self.take(count, what))


def blank(c):
    return 1 <= ord(c) <= 32


def from_comma_text(text):
    """The caption a stored comma text stands for."""
    # A character 0 would stop an unquoted item without being skipped; a caption is a
    # zero-terminated text where the format was made, so it ends there.
    text = text.split("\0", 1)[0]
    items = []
    pos = 0
    while pos < len(text) and blank(text[pos]):
        pos += 1
    while pos < len(text):
        if text[pos] == '"':
            pos += 1
            item = []
            while pos < len(text):
                c = text[pos]
                pos += 1
                if c != '"':
                    item.append(c)
                elif pos < len(text) and text[pos] == '"':
                    item.append(c)
                    pos += 1
                else:
                    break
            items.append("".join(item))
        else:
            start = pos
            while pos < len(text) and ord(text[pos]) > 32 and text[pos] != ",":
                pos += 1
            items.append(text[start:pos])
        while pos < len(text) and blank(text[pos]):
            pos += 1
        if pos < len(text) and text[pos] == ",":
            pos += 1
            while pos < len(text) and blank(text[pos]):
                pos += 1
    caption = "\r\n".join(items)
    low = "".join(chr(c) for c in range(33))
    return caption.strip(low)


def inflated_size(width, height, bits_per_pixel, interlaced):
    def rows(w, h):
        return 0 if w == 0 or h == 0 else h * (1 + (w * bits_per_pixel + 7) // 8)

    if not interlaced:
        return rows(width, height), [((width * bits_per_pixel + 7) // 8, height)]
    passes = []
    for x0, y0, dx, dy in ADAM7:
        w = (width - x0 + dx - 1) // dx if width > x0 else 0
        h = (height - y0 + dy - 1) // dy if height > y0 else 0
        if w and h:
            passes.append(((w * bits_per_pixel + 7) // 8, h))
    return sum(h * (1 + row) for row, h in passes), passes


def read_png(data):
    if data[:8] != PNG_SIGNATURE:
        raise Refused("picture: no PNG signature")
    pos = 8
    chunks = []
    header = None
    palette = False
    idat = []
    idat_ended = False
    while True:
        if len(data) - pos < 12:
            raise Refused("picture: chunk at byte %d cut short" % pos)
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        if length > 0x7FFFFFFF or length > len(data) - pos - 12:
            raise Refused("picture: chunk at byte %d claims %d bytes" % (pos, length))
        body = data[pos + 8 : pos + 8 + length]
        stored_crc = struct.unpack(">I", data[pos + 8 + length : pos + 12 + length])[0]
        if binascii.crc32(kind + body) != stored_crc:
            raise Refused("picture: bad CRC in chunk %r" % kind.decode("latin-1"))
        name = kind.decode("latin-1")
        if not all(c.isalpha() and c.isascii() for c in name):
            raise Refused("picture: chunk name %r" % name)
        chunks.append(name)
        pos += 12 + length
        if not chunks[1:] and name != "IHDR":
            raise Refused("picture: first chunk is %s, not IHDR" % name)
        if idat and name != "IDAT":
            idat_ended = True
        if name == "IHDR":
            if header is not None or length != 13:
                raise Refused("picture: bad IHDR")
            header = struct.unpack(">IIBBBBB", body)
        elif name == "PLTE":
            if idat or length == 0 or length % 3 or length // 3 > 256:
                raise Refused("picture: bad PLTE")
            palette = True
        elif name == "IDAT":
            if idat_ended:
                raise Refused("picture: IDAT chunks not consecutive")
            idat.append(body)
        elif name == "IEND":
            if length:
                raise Refused("picture: IEND with data")
            break
        elif name[0].isupper():
            raise Refused("picture: unknown critical chunk %s" % name)
    if pos != len(data):
        raise Refused("picture: %d bytes after IEND" % (len(data) - pos))

    width, height, depth, colour, compression, filtering, interlace = header
    if not (1 <= width <= 0x7FFFFFFF and 1 <= height <= 0x7FFFFFFF):
        raise Refused("picture: size %d x %d" % (width, height))
    if colour not in PNG_COLOUR_TYPES or depth not in PNG_COLOUR_TYPES[colour][0]:
        raise Refused("picture: bit depth %d with colour type %d" % (depth, colour))
    if compression != 0 or filtering != 0 or interlace not in (0, 1):
        raise Refused("picture: unknown compression, filter or interlace method")
    if colour == 3 and not palette:
        raise Refused("picture: palette picture without PLTE")
    if colour in (0, 4) and palette:
        raise Refused("picture: grey picture with PLTE")
    if not idat:
        raise Refused("picture: no IDAT")

    expected, passes = inflated_size(width, height, depth * PNG_COLOUR_TYPES[colour][1], interlace == 1)
    inflater = zlib.decompressobj()
    try:
        # One byte more than expected is enough to tell a stream that holds too much.
        raw = inflater.decompress(b"".join(idat), expected + 1)
    except zlib.error as error:
        raise Refused("picture: image data does not inflate: %s" % error)
    if len(raw) != expected or not inflater.eof or inflater.unconsumed_tail or inflater.unused_data:
        raise Refused("picture: image data inflates to %d bytes, not %d, or does not end there" % (len(raw), expected))
    at = 0
    for row_bytes, rows in passes:
        for _ in range(rows):
            if raw[at] > 4:
                raise Refused("picture: row filter %d" % raw[at])
            at += 1 + row_bytes

    return {
        "width": width,
        "height": height,
        "bitDepth": depth,
        "colourType": colour,
        "interlace": interlace,
        "chunks": chunks,
        "pngBytes": len(data),
        "inflatedBytes": expected,
    }


def real(value):
    if math.isnan(value):
        return "NaN"
    if math.isinf(value):
        return "Infinity" if value > 0 else "-Infinity"
    return value


def read_topic(data):
    r = Reader(data)
    magic = r.string("magic")
    if magic[:4] != MAGIC_PREFIX:
        raise Refused("magic %r does not start with %r" % (magic, MAGIC_PREFIX))
    keys = r.string("key list")
    header = {}
    for name in ("vers", "titel", "autor", "bemerkung"):
        header[name] = r.string(name)
    absent = []
    for key, name, kind in OPTIONAL_HEADER:
        if key not in keys:
            header[name] = HEADER_DEFAULTS[name]
            absent.append(name)
        elif kind == "string":
            header[name] = r.string(name)
        elif kind == "int":
            header[name] = r.int(name)
        else:
            header[name] = [real(r.real(name)) for _ in range(4)]

    with_page = "OB-FrageNummer" in keys
    if not with_page:
        absent.append("FrageNummer")
    count = r.int("object count")
    if count < 0:
        raise Refused("object count %d" % count)
    if count * (SMALLEST_RECORD + (4 if with_page else 0)) > len(data) - r.pos:
        raise Refused("object count %d does not fit into the %d bytes left" % (count, len(data) - r.pos))
    objects = []
    for i in range(count):
        what = "object %d" % i
        record = {}
        for name in ("Sx", "Sy", "Kx", "Ky"):
            record[name] = real(r.real(what + " " + name))
        record["CapText"] = r.string(what + " Cap")
        record["Cap"] = from_comma_text(record["CapText"])
        for name in RECORD_INTS:
            record[name] = r.int(what + " " + name)
        record["FrageNummer"] = r.int(what + " FrageNummer") if with_page else -1
        objects.append(record)

    return {
        "magic": magic,
        "keys": keys,
        "header": header,
        "absent": absent,
        "objects": objects,
        "picture": read_png(data[r.pos :]),
    }


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: zepreader.py FILE.zep\n")
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
    except OSError as error:
        sys.stderr.write("%s: %s\n" % (argv[1], error.strerror))
        return 1
    try:
        topic = read_topic(data)
    except Refused as error:
        sys.stderr.write("%s: refused: %s\n" % (argv[1], error))
        return 1
    text = json.dumps(topic, ensure_ascii=False, sort_keys=True, indent=1, allow_nan=False)
    sys.stdout.buffer.write(text.encode("utf-8") + b"\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
