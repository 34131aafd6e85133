#!/usr/bin/env python3
"""Draws the user's guide pictures (docs/images/guide-*.png) from renders of the plug-in.

Every curve is measured: a test signal (an impulse, a steady level or a sine) is written to a
WAV file, rendered through the plug-in with `plughost render --set ...`, read back and analysed.
Nothing is computed from the plug-in's formulas.

    plots.py PLUGHOST PLUGIN OUT_DIR
"""
import os
import struct
import subprocess
import sys
import tempfile

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

RATE = 44100
# Normalized values of the parameters' stops and scales, as the plug-in reads them.
TYPES = {"Low": 0.0, "High": 1 / 3, "Band": 2 / 3, "Notch": 1.0}
SHAPES = {"Pulse": 0.0, "Sawtooth": 0.25, "Sine": 0.5, "Square": 0.75, "Triangle": 1.0}
STEREO = {"Normal": 0.0, "Cross": 0.5, "Ping-Pong": 1.0}
MOTION = {"Jump": 0.0, "Fade": 0.5, "Tape": 1.0}
# Parameter indices (plughost info).
ORIGIN_MIX, ORIGIN_TYPE, ORIGIN_CUTOFF, ORIGIN_Q = 0, 1, 2, 3
VOL_SHAPE, VOL_RATE, VOL_DEPTH = 7, 8, 9
DELAY_MIX, DELAY_TIME, FEEDBACK = 10, 11, 12
STEREO_MODE, MOTION_MODE, DUCK = 23, 24, 26


def write_wav(path, data):
    data = np.asarray(data, dtype="<f4")
    if data.ndim == 1:
        data = data[:, None]
    channels = data.shape[1]
    raw = data.tobytes()
    header = (b"RIFF" + struct.pack("<I", 36 + len(raw)) + b"WAVE" + b"fmt "
              + struct.pack("<IHHIIHH", 16, 3, channels, RATE, RATE * 4 * channels, 4 * channels, 32)
              + b"data" + struct.pack("<I", len(raw)))
    with open(path, "wb") as f:
        f.write(header + raw)


def read_wav(path):
    with open(path, "rb") as f:
        b = f.read()
    pos, channels = 12, 1
    while pos + 8 <= len(b):
        cid, size = b[pos:pos + 4], struct.unpack("<I", b[pos + 4:pos + 8])[0]
        if cid == b"fmt ":
            channels = struct.unpack("<H", b[pos + 10:pos + 12])[0]
        if cid == b"data":
            return np.frombuffer(b[pos + 8:pos + 8 + size], dtype="<f4").reshape(-1, channels)
        pos += 8 + size + (size & 1)
    raise ValueError(path + ": no data chunk")


class Renderer:
    def __init__(self, plughost, plugin, work):
        self.plughost, self.plugin, self.work, self.count = plughost, plugin, work, 0

    def __call__(self, signal, settings, automation=None):
        """Renders signal (mono or stereo) with {index: normalized value}; returns (frames, 2)."""
        self.count += 1
        stem = os.path.join(self.work, "r%d" % self.count)
        write_wav(stem + "-in.wav", signal)
        cmd = [self.plughost, "render", self.plugin, "-i", stem + "-in.wav", "-o", stem + "-out.wav",
               "--tail", "0"]
        for index, value in settings.items():
            cmd += ["--set", "%d=%.9g" % (index, value)]
        if automation:
            with open(stem + ".auto", "w") as f:
                f.write(automation)
            cmd += ["--automate", stem + ".auto"]
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        return read_wav(stem + "-out.wav")


def origin_only():
    """The origin path alone, at unity: the delay path stays at Init, where its Output Mix is 0."""
    return {ORIGIN_MIX: 0.5}


def response(render, filter_type, cutoff_hz, q):
    impulse = np.zeros(RATE // 2)
    impulse[0] = 1.0
    out = render(impulse, origin_only() | {
        ORIGIN_TYPE: TYPES[filter_type], ORIGIN_CUTOFF: cutoff_hz / 8000.0, ORIGIN_Q: q})
    spectrum = np.abs(np.fft.rfft(out[:, 0].astype(np.float64), 1 << 16))
    freqs = np.fft.rfftfreq(1 << 16, 1.0 / RATE)
    return freqs[1:], 20 * np.log10(np.maximum(spectrum[1:], 1e-6))


def figure(rows=1, cols=1, **kw):
    fig, axes = plt.subplots(rows, cols, figsize=(8, 4), dpi=100, **kw)
    return fig, axes


def save(fig, out_dir, name):
    fig.tight_layout()
    path = os.path.join(out_dir, name)
    fig.savefig(path, dpi=100)
    plt.close(fig)
    print("wrote", path)


def filter_types(render, out_dir):
    fig, axes = figure(2, 2, sharex=True, sharey=True)
    cutoffs = [250, 1000, 4000]
    for ax, name in zip(axes.flat, TYPES):
        for hz in cutoffs:
            f, db = response(render, name, hz, 0.0)
            ax.semilogx(f, db, label="%d Hz" % hz)
            ax.axvline(hz, color="0.8", lw=0.8, zorder=0)
        ax.set_title('Filter Type "%s", Filter Q 0 %%' % name, fontsize=9)
        ax.set_xlim(20, 20000)
        ax.set_ylim(-48, 6)
        ax.grid(True, which="major", color="0.9")
        ax.tick_params(labelsize=8)
    axes[0, 0].legend(title="Filter Rate", fontsize=7, title_fontsize=7, loc="lower left")
    for ax in axes[1]:
        ax.set_xlabel("frequency (Hz)", fontsize=8)
    for ax in axes[:, 0]:
        ax.set_ylabel("level (dB)", fontsize=8)
    save(fig, out_dir, "guide-filter-types.png")


def filter_q(render, out_dir):
    fig, axes = figure(1, 2, sharey=True)
    for ax, name in zip(axes, ["Low", "Band"]):
        for q in [0.0, 0.5, 0.9]:
            f, db = response(render, name, 1000, q)
            ax.semilogx(f, db, label="Filter Q %d %%" % round(q * 100))
        ax.axvline(1000, color="0.8", lw=0.8, zorder=0)
        ax.set_title('"%s" at Filter Rate 1000 Hz' % name, fontsize=9)
        ax.set_xlim(20, 20000)
        ax.set_ylim(-48, 24)
        ax.grid(True, color="0.9")
        ax.set_xlabel("frequency (Hz)", fontsize=8)
        ax.tick_params(labelsize=8)
    axes[0].set_ylabel("level (dB)", fontsize=8)
    axes[0].legend(fontsize=7, loc="lower left")
    save(fig, out_dir, "guide-filter-q.png")


def lfo_shapes(render, out_dir):
    # A steady level through the origin path, its Vol. LFO at 100 % depth and 2 Hz (rate
    # figure 4): the output is the level the LFO leaves, sample by sample.
    steady = np.full(RATE, 0.5)
    fig, axes = figure(len(SHAPES), 1, sharex=True)
    t = np.arange(RATE) / RATE
    for ax, (name, value) in zip(axes, SHAPES.items()):
        out = render(steady, origin_only() | {VOL_SHAPE: value, VOL_RATE: 0.04, VOL_DEPTH: 1.0})
        # The first milliseconds are the filter taking up the steady level, not the LFO.
        ax.plot(t[100:], out[100:, 0] / 0.5 * 100, lw=1.2)
        ax.set_ylim(-10, 110)
        ax.set_yticks([0, 100])
        ax.tick_params(labelsize=7)
        ax.text(1.01, 0.5, '"%s"' % name, transform=ax.transAxes, fontsize=8, va="center")
        ax.grid(True, color="0.9")
    axes[0].set_title("The level a Vol. LFO at 2 Hz and 100 % depth leaves (in %), over one second",
                      fontsize=9)
    axes[-1].set_xlabel("time (s)", fontsize=8)
    save(fig, out_dir, "guide-lfo-shapes.png")


def echoes(render, out_dir):
    # An impulse in the left channel only, the dry sound kept, 250 ms echoes at feedback 60 %.
    frames = int(1.6 * RATE)
    signal = np.zeros((frames, 2))
    signal[int(0.05 * RATE), 0] = 1.0
    t = np.arange(frames) / RATE
    fig, axes = figure(3, 1, sharex=True, sharey=True)
    for ax, (name, value) in zip(axes, STEREO.items()):
        out = render(signal, {ORIGIN_MIX: 0.5, DELAY_MIX: 0.5, DELAY_TIME: 0.025, FEEDBACK: 0.6,
                              STEREO_MODE: value})
        # Each channel's level, left upwards and right downwards.
        ax.plot(t, np.abs(out[:, 0]), color="tab:blue", lw=1.5, label="left")
        ax.plot(t, -np.abs(out[:, 1]), color="tab:red", lw=1.5, label="right (drawn downwards)")
        ax.axhline(0, color="0.6", lw=0.5)
        ax.set_ylim(-1.1, 1.1)
        ax.set_yticks([-1, 0, 1])
        ax.set_yticklabels(["R", "0", "L"])
        ax.tick_params(labelsize=7)
        ax.text(1.01, 0.5, '"%s"' % name, transform=ax.transAxes, fontsize=8, va="center")
    axes[0].set_title("A click in the left channel, Rate 250 ms, Feedback 60 %: where its echoes land",
                      fontsize=9)
    axes[0].legend(fontsize=7, loc="upper right", ncol=2)
    axes[-1].set_xlabel("time (s)", fontsize=8)
    save(fig, out_dir, "guide-echoes.png")


def pitch_track(x, hop=441, size=2048):
    """Times and the strongest frequency of each window, refined between bins."""
    times, freqs = [], []
    window = np.hanning(size)
    for start in range(0, len(x) - size, hop):
        power = np.abs(np.fft.rfft(x[start:start + size] * window, 8 * size))
        k = int(power.argmax())
        if power[k] < 1e-3 * size or k == 0 or k + 1 >= len(power):
            continue
        a, b, c = np.log(power[k - 1:k + 2] + 1e-12)
        k = k + 0.5 * (a - c) / (a - 2 * b + c)
        times.append((start + size / 2) / RATE)
        freqs.append(k * RATE / (8 * size))
    return np.array(times), np.array(freqs)


def motion(render, out_dir):
    # A steady 220 Hz tone, echoes only (no dry sound, no feedback), Rate 300 ms turned to
    # 160 ms at 1.0 s: the tone as it comes out of the line. The two times are 66 and 35.2
    # cycles of the tone, so the old and the new echo differ in phase by a fifth of a cycle.
    frames = int(3.0 * RATE)
    t = np.arange(frames) / RATE
    tone = 0.5 * np.sin(2 * np.pi * 220.0 * t)
    fig, axes = figure(2, 3, sharey="row")
    for col, (name, value) in enumerate(MOTION.items()):
        out = render(tone, {ORIGIN_MIX: 0.0, DELAY_MIX: 0.5, DELAY_TIME: 0.03, MOTION_MODE: value},
                     automation="1s %d=0.016\n" % DELAY_TIME)[:, 0]
        zoom = (t >= 0.99) & (t < 1.07)
        ax = axes[0, col]
        ax.plot((t[zoom] - 1.0) * 1000, out[zoom], lw=0.8)
        ax.set_title('"%s": the wave at the change' % name, fontsize=9)
        ax.set_xlabel("ms after the change", fontsize=8)
        ax.set_ylim(-0.75, 0.75)
        ax.tick_params(labelsize=7)
        ax = axes[1, col]
        times, freqs = pitch_track(out)
        ax.plot(times, freqs, lw=1.2, color="tab:green")
        ax.axvline(1.0, color="0.8", lw=0.8, zorder=0)
        ax.set_ylim(150, 500)
        ax.set_xlim(0.5, 3.0)
        ax.set_xlabel("time (s)", fontsize=8)
        ax.set_title("its pitch (Hz)", fontsize=9)
        ax.tick_params(labelsize=7)
        ax.grid(True, color="0.9")
    fig.suptitle("A 220 Hz tone's echo while Rate goes from 300 ms to 160 ms at 1.0 s", fontsize=9)
    save(fig, out_dir, "guide-motion.png")


def level_db(x, size=441):
    """The RMS level of each 10 ms window, in dBFS."""
    frames = len(x) // size * size
    rms = np.sqrt(np.mean(x[:frames].reshape(-1, size) ** 2, axis=1))
    return np.arange(len(rms)) * size / RATE, 20 * np.log10(np.maximum(rms, 1e-5))


def duck(render, out_dir):
    # Noise played for 1 s, then silence; echoes only (no dry sound), 250 ms at feedback 50 %.
    frames = int(2.5 * RATE)
    rng = np.random.default_rng(1)
    noise = np.zeros(frames)
    noise[:RATE] = 0.25 * rng.standard_normal(RATE)
    fig, ax = figure()
    t, db = level_db(noise)
    ax.fill_between(t, -100, db, color="0.85", label="the input (noise, then silence)")
    for amount, colour in [(0.0, "tab:blue"), (0.5, "tab:orange"), (1.0, "tab:red")]:
        out = render(noise, {ORIGIN_MIX: 0.0, DELAY_MIX: 0.5, DELAY_TIME: 0.025, FEEDBACK: 0.5,
                             DUCK: amount})
        t, db = level_db(out[:, 0])
        ax.plot(t, db, color=colour, lw=1.2, label="the echoes, Duck %d %%" % round(amount * 100))
    ax.set_ylim(-80, 0)
    ax.set_xlim(0, 2.5)
    ax.set_xlabel("time (s)", fontsize=8)
    ax.set_ylabel("level (dBFS)", fontsize=8)
    ax.tick_params(labelsize=8)
    ax.grid(True, color="0.9")
    ax.legend(fontsize=7, loc="lower left")
    ax.set_title("Echoes of 250 ms at Feedback 50 % while the input plays and after it stops", fontsize=9)
    save(fig, out_dir, "guide-duck.png")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    plughost, plugin, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        render = Renderer(plughost, plugin, work)
        filter_types(render, out_dir)
        filter_q(render, out_dir)
        lfo_shapes(render, out_dir)
        echoes(render, out_dir)
        motion(render, out_dir)
        duck(render, out_dir)


if __name__ == "__main__":
    main()
