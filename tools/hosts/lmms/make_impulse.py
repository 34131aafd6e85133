#!/usr/bin/env python3
"""Writes a mono 32-bit float WAV of silence with one sample at 1.0.

Usage: make_impulse.py OUT.wav RATE FRAMES AT
"""
import struct
import sys

WAVE_FORMAT_IEEE_FLOAT = 3


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.split("\n\n")[-1])
    path = sys.argv[1]
    rate, frames, at = (int(a) for a in sys.argv[2:])
    samples = [0.0] * frames
    samples[at] = 1.0
    data = struct.pack(f"<{frames}f", *samples)
    fmt = struct.pack("<HHIIHH", WAVE_FORMAT_IEEE_FLOAT, 1, rate, rate * 4, 4, 32)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(data)) + data)


if __name__ == "__main__":
    main()
