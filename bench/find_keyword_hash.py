#!/usr/bin/env python3
"""Finds a multiplier for the keyword hash of src/formulas/formula_table.cpp
under which every keyword of the table has a slot of its own.

  find_keyword_hash.py [SLOT_BITS]
"""
import pathlib
import random
import re
import sys

TABLE = pathlib.Path(__file__).resolve().parent.parent / 'src/formulas/formula_table.cpp'
MASK = (1 << 64) - 1


def load_eight(data):
    return int.from_bytes(data[:8].ljust(8, b'\0'), 'little')


def slot(keyword, multiplier, bits):
    head = load_eight(keyword)
    tail = load_eight(keyword[-8:]) if len(keyword) >= 8 else head
    return (((head ^ tail ^ len(keyword)) * multiplier) & MASK) >> (64 - bits)


def main(argv):
    bits = int(argv[1]) if len(argv) > 1 else 7
    keywords = [k.encode() for k in re.findall(r'\("([a-z_0-9]+)",\s+\d', TABLE.read_text())]
    rng = random.Random(1)
    for _ in range(10_000_000):
        multiplier = rng.getrandbits(64) | 1
        if len({slot(k, multiplier, bits) for k in keywords}) == len(keywords):
            print('HASH_MULTIPLIER = %#x for %d keywords in %d slots' % (multiplier, len(keywords), 1 << bits))
            return 0
    print('none found; try more slot bits')
    return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
