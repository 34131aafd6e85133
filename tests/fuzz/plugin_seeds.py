#!/usr/bin/env python3
"""Writes the plug-in fuzzer's seed inputs into corpus/plugin_fuzzer: short host sessions
encoded the way plugin_fuzzer.cpp decodes them (FuzzedDataProvider: integers and choices
from the end of the input, byte runs and texts from the front)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "plugin_fuzzer")


class Input:
    def __init__(self):
        self.front = bytearray()
        self.back = []  # byte groups in the order they are consumed

    def number(self, offset, width):
        # A value of the range's width in bytes, most significant byte consumed first.
        self.back.append(offset.to_bytes(width, "big"))

    def flag(self, state):
        self.number(1 if state else 0, 1)

    def index(self, i):
        self.flag(False)
        self.number(i + 2, 2)  # range -2 to 4113

    def raw_float(self, value):
        self.number(struct.unpack("<I", struct.pack("<f", value))[0], 4)

    def raw_bits(self, bits):
        self.number(bits, 4)

    def value(self, v):
        self.flag(False)
        self.number(v + 2, 1)  # range -2 to 70

    def operation(self, kind):
        self.number(kind, 1)

    def dispatch_head(self, opcode, index=0, opt=0.0, time=True, playing=True):
        self.operation(0)
        self.number(opcode + 1, 1)  # range -1 to 80
        self.index(index)
        self.raw_float(opt)
        self.flag(time)
        self.flag(playing)

    def text_call(self, opcode, index=0, value=0, opt=0.0, text=None):
        self.dispatch_head(opcode, index, opt)
        self.value(value)
        self.flag(False)  # a buffer, not null
        if text is not None:
            self.front += text.replace(b"\\", b"\\\\") + b"\\x"  # the text ends at "\x"

    def set_parameter(self, index, value=None, bits=None):
        self.operation(1)
        self.index(index)
        if bits is None:
            self.raw_float(value)
        else:
            self.raw_bits(bits)

    def process(self, frames, replacing=True, in_place=False, samples=None):
        self.operation(4 if replacing else 3)
        self.number(frames, 2)  # range 0 to 2048
        for channel in range(4):
            for n in range(frames):
                value = samples(channel, n) if samples else 0.0
                self.front += struct.pack("<f", value)
        self.flag(in_place)

    def data(self):
        # The first byte consumed from the end is the last one of the input.
        return bytes(self.front) + bytes(reversed(b"".join(self.back)))


def impulse(channel, n):
    return 1.0 if channel < 2 and n == 0 else 0.0


def seeds():
    s = Input()  # the names and texts a host reads on loading
    for opcode in (5, 6, 7, 8):
        for index in (0, 1, 21, 22):
            s.text_call(opcode, index)
    for opcode in (45, 47, 48):
        s.text_call(opcode)
    s.text_call(51, text=b"receiveVstTimeInfo")
    yield "texts", s

    s = Input()  # programs: rename, select, read back
    s.text_call(4, text=b"A program name longer than twenty-four characters")
    s.dispatch_head(2)
    s.value(63)
    s.flag(True)  # no buffer
    s.text_call(29, index=63)
    s.text_call(5)
    yield "programs", s

    s = Input()  # an impulse through the delay with feedback
    s.set_parameter(11, 0.001)
    s.set_parameter(12, 0.9)
    s.process(64, samples=impulse)
    s.process(64, replacing=False)
    s.process(0)
    yield "impulse", s

    s = Input()  # raw bit patterns: NaN, infinity, a denormal, a negative value
    for index, bits in ((0, 0x7FC00000), (2, 0x7F800000), (3, 0x00000001), (12, 0xBF800000)):
        s.set_parameter(index, bits=bits)
    s.process(32, samples=lambda c, n: float("nan") if n == 3 else 0.5)
    yield "bit_patterns", s

    s = Input()  # the runaway setting: Q 1.0 and a full-depth sawtooth LFO sweeping the cutoff
    for index, value in ((3, 1.0), (4, 0.25), (5, 1.0), (6, 1.0)):
        s.set_parameter(index, value)
    s.process(128, in_place=True, samples=impulse)
    s.dispatch_head(53, playing=False)  # effIdle with the transport stopped
    s.value(0)
    s.flag(True)  # no buffer
    s.process(128)
    yield "runaway", s

    s = Input()  # the editor opened in memory, idled, typed keys, closed
    s.dispatch_head(14)
    s.flag(True)  # a parent window
    s.value(0)
    s.set_parameter(2, 0.25)
    s.dispatch_head(19)
    s.value(0)
    s.flag(True)
    s.dispatch_head(59, index=ord("5"))
    s.value(0)
    s.flag(True)
    s.dispatch_head(15)
    s.value(0)
    s.flag(True)
    yield "editor", s


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, seed in seeds():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(seed.data())
