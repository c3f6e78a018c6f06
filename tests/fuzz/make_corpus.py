#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

The seeds are committed; this script is how they were made, so that they can
be made again after a change of an input layout. Every seed is small (a few
kilobytes at most) and deterministic. Regression inputs found by fuzzing are
committed beside them under names starting with "crash-" and are not
touched here.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def f32(v):
    return struct.pack("<f", v)


# --- fuzz_engine_blocks -------------------------------------------------------
# Opcodes (the byte modulo 10): 0/1 raw floats, 2 tone, 3 silence, 4 special
# values, 5/6 SetParameter, 7 sample rate, 8 pass operation, 9 in-place block.

def e_raw(values):
    return bytes([0]) + u16(len(values) - 1) + b"".join(f32(v) for v in values)


def e_tone(period, level, frames):
    return bytes([2]) + u16(period - 16) + bytes([level]) + u16(frames - 1)


def e_silence(frames, floor=False):
    return bytes([3]) + u16(frames // 2) + bytes([1 if floor else 0])


def e_special(codes, on_tone):
    return bytes([4, len(codes) - 1, 1 if on_tone else 0]) + bytes(codes)


def e_set(pid, value):
    return bytes([5, pid + 2, 2]) + u32(value)


def e_rate(index=None, raw=None):
    if raw is not None:
        return bytes([7, 255]) + u32(raw) + bytes([1])
    return bytes([7, index, 1])


def e_pass(kind, capacity=40, extra=b""):
    return bytes([8, capacity - 1, kind]) + extra


def e_targets(first, values):
    return bytes([8, 0, 3, first, len(values) - 1]) + b"".join(f32(v) for v in values)


def engine_seeds():
    t = "fuzz_engine_blocks"
    sung = b"".join(e_tone(200, 20, 4000) for _ in range(6))
    put(t, "automatic", sung + e_set(6, 1) + sung + e_set(5, 3) + e_set(3, 4) + sung +
        e_set(4, 160) + sung + e_set(7, 100) + e_set(8, 100) + e_set(9, 0) + sung)
    put(t, "graphical-passes", e_set(1, 1) + e_pass(0) + e_set(29, 1) + sung + e_pass(4) +
        e_pass(2) + e_targets(0, [180.0, 190.0, 210.0, 0.0, 400.0, 99.5, 220.0, 200.0]) +
        e_set(30, 1) + e_pass(1) + sung + sung + e_set(1, 0) + sung)
    put(t, "special-values", sung + e_special([1, 0x80, 2, 0x82, 3, 0x83, 4, 0x84, 5, 0x86, 6, 0x87, 7, 0x8A, 0x8B, 0x8C], True) +
        sung + e_raw([0.5, float("nan"), 1e38, -1e38, 0.25, float("inf"), 1e-42, -0.5]) +
        e_silence(6000) + sung + e_silence(3000, floor=True) + sung)
    put(t, "sample-rates", e_rate(0) + sung + e_rate(7) + sung + e_rate(raw=1) + sung +
        e_rate(raw=4000000000) + sung + e_rate(3) + e_set(6, 2) + sung)
    # Once hung the target: a correcting pass toward a denormal target
    # period, whose octave folding never ended.
    put(t, "crash-correction-target-denormal", e_set(1, 1) + e_pass(1, capacity=48) + e_set(30, 1) +
        e_targets(0, [1e-45] * 8) + e_targets(8, [1e-45] * 8) + sung + sung)
    put(t, "in-place", sung + bytes([9]) + u16(4095) + e_set(12, 1) + bytes([9]) + u16(1000) +
        e_pass(5, extra=bytes([1])) + sung + e_pass(5, extra=bytes([0])) + sung)


# --- fuzz_set_parameter -------------------------------------------------------
# Per call: an ID byte (id + 1 when below 0xF0), a value kind (3: 32 bits),
# the value, then a block length byte ((b + 1) * 4 samples).

def p_call(pid, value, block=255):
    return bytes([pid + 1, 3]) + u32(value) + bytes([block])


def set_parameter_seeds():
    t = "fuzz_set_parameter"
    warm = b"".join(p_call(0, 0) for _ in range(20))
    put(t, "automatic-settings", warm + b"".join(
        p_call(pid, v) for pid, v in [(2, 5), (3, 7), (4, 150), (5, 0), (5, 400), (6, 1), (7, 100),
                                      (8, 1), (9, 0), (10, 100), (6, 2), (8, 100), (6, 3), (4, 0),
                                      (10, 0), (12, 1), (6, 0)]) + warm)
    put(t, "modes-and-passes", warm + b"".join(
        p_call(pid, v) for pid, v in [(1, 1), (29, 1), (31, 50), (32, 200), (29, 0), (30, 1),
                                      (1, 0), (6, 1), (1, 1), (33, 5), (30, 0), (1, 0), (34, 1),
                                      (25, 1), (28, 1), (17, 3)]) + warm)
    # Once crashed the target: a vibrato rate so fast that the phase left
    # the table for good, and a vibrato so deep that the read speed ran the
    # shifter out of its ring.
    put(t, "crash-vibrato-rate", warm + p_call(6, 1) + p_call(9, 0) + p_call(8, 0x7FFFFFFF) + warm)
    put(t, "crash-vibrato-depth", warm + p_call(6, 2) + p_call(9, 0) + p_call(7, 0x7FFFFFFF) + warm)
    put(t, "edge-values", warm + b"".join(
        p_call(pid, v) for pid, v in [(8, 0), (6, 1), (8, -5), (9, 0x7FFFFFFF), (7, -100),
                                      (4, 0x7FFFFFFF), (4, -0x80000000), (3, 12), (3, -1),
                                      (2, 29), (2, -1), (10, 0x7FFFFFFF), (5, 0x7FFFFFFF),
                                      (32, -0x80000000), (0, 1), (35, 1), (-1, 1)]) + warm)


# --- fuzz_sound_file ----------------------------------------------------------

RATE = 44100


def tone(frames, hz=220.0, rate=RATE, level=0.5):
    return [level * (math.sin(2 * math.pi * hz * i / rate) + 0.3 * math.sin(4 * math.pi * hz * i / rate))
            for i in range(frames)]


def wav(channels, rate, bits, samples, fmt_tag=1, extra_chunks=b""):
    """A RIFF WAVE file; samples are floats in [-1, 1], interleaved."""
    if fmt_tag == 3:
        code = "<f" if bits == 32 else "<d"
        data = b"".join(struct.pack(code, s) for s in samples)
    elif bits == 8:
        data = bytes(int(round(s * 127)) + 128 for s in samples)
    elif bits == 16:
        data = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
    elif bits == 24:
        data = b"".join(struct.pack("<i", int(round(s * 8388607)))[:3] for s in samples)
    else:
        data = b"".join(struct.pack("<i", int(round(s * 2147483647))) for s in samples)
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * align, align, bits)
    body = b"WAVE" + b"fmt " + u32(len(fmt)) + fmt + extra_chunks + b"data" + u32(len(data)) + data
    return b"RIFF" + u32(len(body)) + body


def aiff(samples, rate=RATE):
    data = b"".join(struct.pack(">h", int(round(s * 32767))) for s in samples)
    # 80-bit extended sample rate.
    exponent = 16383 + int(math.floor(math.log2(rate)))
    mantissa = int(rate * (1 << (63 - int(math.floor(math.log2(rate))))))
    ext = struct.pack(">HQ", exponent, mantissa)
    comm = struct.pack(">hIh", 1, len(samples), 16) + ext
    ssnd = struct.pack(">II", 0, 0) + data
    body = b"AIFF" + b"COMM" + struct.pack(">I", len(comm)) + comm + b"SSND" + struct.pack(">I", len(ssnd)) + ssnd
    return b"FORM" + struct.pack(">I", len(body)) + body


def sound_file_seeds():
    t = "fuzz_sound_file"
    mono = tone(1500)
    put(t, "mono-16bit.wav", wav(1, RATE, 16, mono))
    put(t, "mono-float.wav", wav(1, RATE, 32, mono, fmt_tag=3))
    put(t, "stereo-16bit.wav", wav(2, RATE, 16, [s for s in tone(700) for _ in range(2)]))
    put(t, "mono-8bit.wav", wav(1, RATE, 8, tone(1200)))
    put(t, "mono-24bit.wav", wav(1, 48000, 24, tone(1000, rate=48000)))
    put(t, "mono-32bit-int.wav", wav(1, 22050, 32, tone(800, rate=22050)))
    put(t, "mono-double.wav", wav(1, RATE, 64, tone(500), fmt_tag=3))
    put(t, "mono-aiff.aiff", aiff(tone(1200)))
    put(t, "zero-frames.wav", wav(1, RATE, 16, []))
    put(t, "rate-1hz.wav", wav(1, 1, 16, tone(300, hz=0.1, rate=1)))
    put(t, "rate-768khz.wav", wav(1, 768000, 16, tone(1500, hz=880.0, rate=768000)))
    put(t, "float-nan-inf.wav", wav(1, RATE, 32, tone(600) + [float("nan"), float("inf"), -float("inf"), 3e38] * 4 +
                                    tone(600), fmt_tag=3))
    put(t, "truncated-header.wav", wav(1, RATE, 16, mono)[:30])
    put(t, "bad-data-size.wav", wav(1, RATE, 16, mono)[:-1000])
    put(t, "list-chunk.wav", wav(1, RATE, 16, tone(400), extra_chunks=b"LIST" + u32(10) + b"INFOabcdef"))
    put(t, "not-audio.wav", b"This is not a sound file, whatever its name says.\n" * 4)


# --- fuzz_settings_stream -----------------------------------------------------

IID_CONTROL = struct.pack("<IHH", 0x99284DA1, 0x7A57, 0x46E7) + bytes([0xAC, 0x96, 0x03, 0xA2, 0x84, 0xAB, 0x9A, 0xFB])


def stream(block, size=56, iid=IID_CONTROL):
    return u32(size) + iid + b"".join(struct.pack("<i", v) for v in block)


def settings_stream_seeds():
    t = "fuzz_settings_stream"
    put(t, "default", stream([2, 0, 100, 126, 0, 30, 55, 300, 25]))
    put(t, "vibrato-minor", stream([4, 9, 120, 300, 1, 80, 70, 0, 60]))
    put(t, "range-ends", stream([28, 11, 200, 400, 3, 100, 100, 3000, 100]))
    put(t, "range-starts", stream([0, 0, 0, 0, 0, 0, 1, 0, 0]))
    # Once loaded although Save could never have written it.
    put(t, "crash-impossible-values", stream([53, 12, 201, 401, 4, -1, 0, 3001, 101]))
    put(t, "wrong-size", stream([2, 0, 100, 126, 0, 30, 55, 300, 25], size=57))
    put(t, "wrong-iid", stream([2, 0, 100, 126, 0, 30, 55, 300, 25], iid=bytes(16)))
    put(t, "short", stream([2, 0, 100, 126, 0, 30, 55, 300, 25])[:40])


def main():
    engine_seeds()
    set_parameter_seeds()
    sound_file_seeds()
    settings_stream_seeds()
    return 0


if __name__ == "__main__":
    sys.exit(main())
