#!/usr/bin/env python3
"""Rewrites an icon file so that its images of 128 pixels or more are stored as PNG, as Windows
(Vista and later) reads them, instead of uncompressed bitmaps: the icon is embedded in the
Windows program and its installer, where the large image alone would cost about 66 KB.
    png-icon.py ICON SIZE=PNG...   e.g. png-icon.py MonitorZelnor.ico 128=icon-128.png"""
import struct
import sys

path, replacements = sys.argv[1], dict(a.split("=", 1) for a in sys.argv[2:])
data = open(path, "rb").read()
reserved, kind, count = struct.unpack_from("<HHH", data, 0)
entries = []
for i in range(count):
    w, h, colours, res, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    payload = data[offset:offset + size]
    side = str(w or 256)
    if side in replacements:
        payload = open(replacements[side], "rb").read()
        if not payload.startswith(b"\x89PNG\r\n\x1a\n"):
            sys.exit(f"png-icon: {replacements[side]} is not a PNG file")
    entries.append((w, h, colours, res, planes, bpp, payload))
out = bytearray(struct.pack("<HHH", reserved, kind, count))
offset = 6 + 16 * count
for w, h, colours, res, planes, bpp, payload in entries:
    out += struct.pack("<BBBBHHII", w, h, colours, res, planes, bpp, len(payload), offset)
    offset += len(payload)
for entry in entries:
    out += entry[-1]
open(path, "wb").write(out)
