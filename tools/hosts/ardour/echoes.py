#!/usr/bin/env python3
"""Prints where the impulses in a rendered WAV land: one line per burst of sound, with the
first sample above a small threshold (the onset), the peak's position and level, and the
distance to the previous and first burst. When left and right differ, it then lists the bursts
of both in time order with their side and each one's level against the one before. Standard library only; reads 32-bit float WAV
(which Python's wave module refuses) and 16/24/32-bit PCM.

Usage: echoes.py FILE.wav [--gap SAMPLES] [--threshold LEVEL]
"""
import math
import struct
import sys


def read_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit(f"{path}: not a RIFF/WAVE file")
    fmt = frames = None
    pos = 12
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if chunk == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
            if fmt[0] == 0xFFFE:  # WAVE_FORMAT_EXTENSIBLE: the real tag opens the sub-format GUID
                fmt = (struct.unpack("<H", body[24:26])[0],) + fmt[1:]
        elif chunk == b"data":
            frames = body
        pos += 8 + size + (size & 1)
    if fmt is None or frames is None:
        sys.exit(f"{path}: no fmt or data chunk")
    tag, channels, rate, _, _, bits = fmt
    if tag == 3 and bits == 32:
        samples = struct.unpack(f"<{len(frames) // 4}f", frames)
    elif tag == 1 and bits in (16, 32):
        code = "h" if bits == 16 else "i"
        scale = float(1 << (bits - 1))
        samples = [v / scale for v in struct.unpack(f"<{len(frames) * 8 // bits}{code}", frames)]
    elif tag == 1 and bits == 24:
        samples = [int.from_bytes(frames[i:i + 3], "little", signed=True) / 8388608.0
                   for i in range(0, len(frames) - 2, 3)]
    else:
        sys.exit(f"{path}: unsupported WAV format tag {tag} with {bits} bits")
    return rate, [samples[c::channels] for c in range(channels)]


def bursts(signal, threshold, gap):
    """Groups samples louder than threshold into bursts; a quiet stretch longer than gap ends one."""
    found, current, last = [], None, None
    for i, v in enumerate(signal):
        if abs(v) < threshold:
            continue
        if current is None or i - last > gap:
            current = {"onset": i, "peak": i, "level": v}
            found.append(current)
        elif abs(v) > abs(current["level"]):
            current["peak"], current["level"] = i, v
        last = i
    return found


def db(level):
    return 20 * math.log10(abs(level)) if level else float("-inf")


def main():
    args = sys.argv[1:]
    gap, threshold = 1000, 1e-4
    if "--gap" in args:
        gap = int(args.pop(args.index("--gap") + 1)); args.remove("--gap")
    if "--threshold" in args:
        threshold = float(args.pop(args.index("--threshold") + 1)); args.remove("--threshold")
    if len(args) != 1:
        sys.exit(__doc__.split("\n\n")[-1])
    rate, channels = read_wav(args[0])
    print(f"{args[0]}: {len(channels)} channels, {rate} Hz, {len(channels[0])} frames")
    names = ["mono"] if len(channels) == 1 else ["left", "right"] + [f"channel {c + 1}" for c in range(2, len(channels))]
    # Identical channels are reported once.
    groups = []
    for c, signal in enumerate(channels):
        for group in groups:
            if channels[group[0]] == signal:
                group.append(c)
                break
        else:
            groups.append([c])
    found_in = {}
    for group in groups:
        found = found_in[group[0]] = bursts(channels[group[0]], threshold, gap)
        label = " = ".join(names[c] for c in group)
        print(f"{label}: {len(found)} bursts above {threshold:g}")
        print("  onset   peak at    peak level  (dBFS)   after previous  after first")
        for k, b in enumerate(found):
            prev = b["onset"] - found[k - 1]["onset"] if k else 0
            first = b["onset"] - found[0]["onset"]
            print(f"  {b['onset']:6d}  {b['peak']:7d}  {b['level']:+11.6f}  {db(b['level']):+7.2f}"
                  f"   {prev:14d}  {first:11d}")
    # Where the two sides differ (Cross and Ping-Pong move echoes from one to the other), both in
    # time order: each burst's side, and its distance and level ratio to the burst before it.
    if len(groups) == 2 and len(channels) == 2:
        merged = sorted(((b, c) for c in (0, 1) for b in found_in[c]), key=lambda bc: (bc[0]["onset"], bc[1]))
        print("left and right in time order:")
        print("  side    onset   peak at    peak level  (dBFS)   after previous  ratio to previous")
        for k, (b, c) in enumerate(merged):
            before = merged[k - 1][0] if k else None
            prev = b["onset"] - before["onset"] if before else 0
            ratio = f"{b['level'] / before['level']:17.6f}" if before else f"{'-':>17}"
            print(f"  {names[c]:<5}  {b['onset']:6d}  {b['peak']:7d}  {b['level']:+11.6f}  {db(b['level']):+7.2f}"
                  f"   {prev:14d}  {ratio}")


if __name__ == "__main__":
    main()
