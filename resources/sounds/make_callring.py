#!/usr/bin/env python3
"""Writes CallRing.wav, the stopwatch's hourly chime: a soft two-tone ring.

The output is committed; run this again only to change the sound:
    python3 resources/sounds/make_callring.py resources/sounds/CallRing.wav
"""
import math
import struct
import sys
import wave

RATE = 22050
# (frequency in Hz, length in seconds): E6 and C6, twice.
NOTES = [(1318.5, 0.18), (1046.5, 0.18), (1318.5, 0.18), (1046.5, 0.30)]
PEAK = 0.45 * 32767


def note(frequency, seconds):
    count = int(RATE * seconds)
    attack = int(RATE * 0.005)
    for i in range(count):
        t = i / RATE
        # A bell-like tone: the fundamental with a little of the octave, fading out.
        envelope = math.exp(-t * 9.0) * min(1.0, i / attack)
        release = min(1.0, (count - i) / attack)
        value = math.sin(2 * math.pi * frequency * t) + 0.25 * math.sin(4 * math.pi * frequency * t)
        yield envelope * release * value / 1.25


def main(path):
    samples = [s for f, d in NOTES for s in note(f, d)]
    frames = b"".join(struct.pack("<h", int(round(s * PEAK))) for s in samples)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "CallRing.wav")
