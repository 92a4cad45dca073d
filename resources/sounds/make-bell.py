#!/usr/bin/env python3
"""Synthesises the queue-finished bell: a short struck bell, 16-bit mono WAV.

Run from this folder to remake bell.wav; the output is deterministic.
"""
import math
import struct
import wave

RATE = 44100
SECONDS = 1.4
FUNDAMENTAL = 880.0
# A bell's partials sit off the harmonic series; the higher ones die away sooner.
PARTIALS = [(0.5, 0.35, 1.1), (1.0, 1.0, 0.9), (1.183, 0.45, 0.7), (1.506, 0.3, 0.5),
            (2.0, 0.25, 0.35), (2.514, 0.12, 0.25), (3.011, 0.08, 0.18)]
ATTACK = 0.004


def sample(t):
    value = 0.0
    for ratio, level, decay in PARTIALS:
        value += level * math.exp(-t / decay) * math.sin(2 * math.pi * FUNDAMENTAL * ratio * t)
    return value * min(1.0, t / ATTACK)


def main():
    count = int(RATE * SECONDS)
    samples = [sample(i / RATE) for i in range(count)]
    peak = max(abs(s) for s in samples)
    # Fade the last 50 ms so the sound ends without a click.
    fade = int(RATE * 0.05)
    frames = bytearray()
    for i, s in enumerate(samples):
        gain = min(1.0, (count - i) / fade)
        frames += struct.pack('<h', int(s / peak * 0.8 * gain * 32767))
    with wave.open('bell.wav', 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == '__main__':
    main()
