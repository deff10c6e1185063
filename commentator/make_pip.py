#!/usr/bin/env python3
"""Writes the commentator's place sound: a short 1.5 kHz beep, 16-bit mono PCM."""
import math
import struct
import sys
import wave

RATE = 22050
SECONDS = 0.15
FREQ = 1500.0

with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(RATE)
    n = int(RATE * SECONDS)
    frames = bytearray()
    for i in range(n):
        fade = min(1.0, i / 200.0, (n - i) / 200.0)
        frames += struct.pack("<h", int(12000 * fade * math.sin(2 * math.pi * FREQ * i / RATE)))
    w.writeframes(bytes(frames))
