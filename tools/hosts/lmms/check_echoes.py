#!/usr/bin/env python3
"""Checks a render of one impulse through a feedback delay that neither filters nor smears:
the impulse at AT (give or take LATE frames of host latency) with level DRY, then echo k at
exactly k x DELAY frames after it with level WET x FEEDBACK^(k-1), and every other sample
below -80 dBFS. Prints expected against measured for each channel (identical channels once)
and exits 1 on any difference.

Usage: check_echoes.py OUT.wav --at FRAME --late FRAMES --delay FRAMES --dry LEVEL --wet LEVEL
                       --feedback GAIN
"""
import argparse
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ardour"))
from echoes import read_wav  # noqa: E402  (the Ardour script's reader: float and PCM WAV)

# Anything quieter is silence: rounding in the host's and the plug-in's float paths stays near
# 1e-7, while a filtered impulse spreads over neighbours far louder than this.
THRESHOLD = 1e-4
# Levels pass within 0.1 %: the paths multiply by exact gains (1, 0.5, 0.25, ...), so only a
# gain the settings do not ask for can miss by more.
LEVEL_TOLERANCE = 1e-3
# A render that stops before the third echo cannot show the feedback halving twice.
MIN_ECHOES = 3


def expected_impulses(first, frames, args):
    """(position, level) of the impulse and of each echo loud enough to find in the file."""
    found = [(first, args.dry)]
    k, level = 1, args.wet
    while first + k * args.delay < frames and abs(level) >= THRESHOLD:
        found.append((first + k * args.delay, level))
        k, level = k + 1, level * args.feedback
    return found


def nearest(loud, position, window):
    near = [i for i in loud if abs(i - position) <= window]
    return min(near, key=lambda i: abs(i - position)) if near else None


def db(level):
    return f"{20 * math.log10(abs(level)):+7.2f}" if level else "   -inf"


def check_channel(label, signal, args):
    """Prints the table for one channel and returns the failures found."""
    loud = [i for i, v in enumerate(signal) if abs(v) >= THRESHOLD]
    if not loud:
        return [f"{label}: silent"]
    failures = []
    first = loud[0]
    if abs(first - args.at) > args.late:
        failures.append(f"{label}: impulse at {first}, expected {args.at} +- {args.late}")
    wanted = expected_impulses(first, len(signal), args)
    if len(wanted) - 1 < MIN_ECHOES:
        failures.append(f"{label}: the render ends after {len(signal)} frames, before echo {MIN_ECHOES}")
    print(f"{label}: impulse expected at {args.at} +- {args.late}, echo k at impulse + k x {args.delay}")
    print("  what        expected at  measured at  expected level  measured level   (dBFS)")
    matched = set()
    for k, (position, level) in enumerate(wanted):
        what = "impulse" if k == 0 else f"echo {k}"
        at = nearest(loud, position, args.delay // 2)
        measured = signal[at] if at is not None else 0.0
        ok = at == position and abs(measured - level) <= LEVEL_TOLERANCE * abs(level)
        where = "none" if at is None else str(at)
        print(f"  {what:10s}  {position:11d}  {where:>11s}  {level:+14.6f}  {measured:+14.6f}  {db(measured)}"
              f"  {'ok' if ok else 'WRONG'}")
        if not ok:
            failures.append(f"{label}: {what} expected at {position} with {level:+.6f}, "
                            f"measured at {at} with {measured:+.6f}")
        if at is not None:
            matched.add(at)
    stray = [i for i in loud if i not in matched]
    if stray:
        shown = ", ".join(f"{i} ({signal[i]:+.6f})" for i in stray[:5])
        failures.append(f"{label}: {len(stray)} more samples above {THRESHOLD:g}: {shown}")
    return failures


def main():
    parser = argparse.ArgumentParser(usage=__doc__.split("\n\n")[-1])
    parser.add_argument("wav")
    for name in ("at", "late", "delay"):
        parser.add_argument(f"--{name}", type=int, required=True)
    for name in ("dry", "wet", "feedback"):
        parser.add_argument(f"--{name}", type=float, required=True)
    args = parser.parse_args()

    rate, channels = read_wav(args.wav)
    print(f"{os.path.basename(args.wav)}: {len(channels)} channels, {rate} Hz, {len(channels[0])} frames")
    names = ["left", "right"] + [f"channel {c + 1}" for c in range(2, len(channels))]
    failures = [] if len(channels) == 2 else [f"{len(channels)} channels, expected 2"]
    done = []
    for c, signal in enumerate(channels):
        if any(channels[d] == signal for d in done):
            continue
        label = " = ".join(names[d] for d in range(c, len(channels)) if channels[d] == signal)
        failures += check_channel(label, signal, args)
        done.append(c)
    for failure in failures:
        print(f"lmms-render: FAILED: {failure}", file=sys.stderr)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
