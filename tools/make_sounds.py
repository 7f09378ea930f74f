#!/usr/bin/env python3
"""Writes the program's sounds (resources/sounds/*.wav): short sine chimes, 8-bit PCM mono.

Run from anywhere: python3 tools/make_sounds.py. The output depends only on this script.
"""
import math
import pathlib
import wave

RATE = 11025

# Each sound is a list of notes (frequency in Hz, length in seconds), played one after another.
SOUNDS = {
    "on.wav": [(660, 0.09), (880, 0.14)],     # rising: the program starts
    "off.wav": [(880, 0.09), (660, 0.14)],    # falling: the program ends
    "run.wav": [(1046, 0.07)],                # a tick: an action runs
    "check.wav": [(1318, 0.06), (0, 0.04), (1318, 0.06)],  # two pips: the "running" check
}


def note_samples(frequency, seconds):
    count = int(RATE * seconds)
    fade = max(1, int(RATE * 0.01))
    for i in range(count):
        # Short fades at both ends keep the chime free of clicks.
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        value = math.sin(2 * math.pi * frequency * i / RATE) if frequency else 0.0
        yield int(round(128 + 100 * envelope * value))


def write(path, notes):
    samples = bytearray()
    for frequency, seconds in notes:
        samples.extend(note_samples(frequency, seconds))
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(bytes(samples))


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "resources" / "sounds"
    folder.mkdir(parents=True, exist_ok=True)
    for name, notes in SOUNDS.items():
        write(folder / name, notes)


if __name__ == "__main__":
    main()
