#!/usr/bin/env python3
"""Writes seeds of frame_engine from a byte trace of a real exchange (zarnik-sim --trace or
zarnik-cli --trace): every answer of the station becomes the answer to one read operation.

usage: trace_seeds.py TRACE FOLDER [PREFIX]
"""
import os
import sys


def answers(path):
    for line in open(path, encoding="ascii"):
        words = line.split()
        if len(words) > 2 and words[1] == "S<":
            yield bytes(int(w.lstrip("~"), 16) for w in words[2:] if not w.startswith("~"))


def main():
    trace, folder = sys.argv[1], sys.argv[2]
    prefix = sys.argv[3] if len(sys.argv) > 3 else "trace"
    os.makedirs(folder, exist_ok=True)
    seen = set()
    lengths = {}
    for answer in answers(trace):
        # A few answers of each length are enough; the corpus stays small.
        if len(answer) < 3 or answer in seen or lengths.get(len(answer), 0) >= 2:
            continue
        seen.add(answer)
        lengths[len(answer)] = lengths.get(len(answer), 0) + 1
        # key 0 (the trace holds keyed bytes and the engine takes the key off), read frame,
        # a buffer of 255 bytes, one attempt.
        seed = bytes([0, 0, 255, 0]) + answer
        with open(os.path.join(folder, "%s_%03d" % (prefix, len(seen))), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
