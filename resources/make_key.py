#!/usr/bin/env python3
"""Makes the development key, resources/key.bin: 65,537 bytes of key material.

The bytes are SHA-256 in counter mode over a fixed seed, so anyone can make the same
file again and check it against the one in the repository. This key is for development
and tests only: an institution builds with its own key file (-DVERITOR_KEY_FILE=...),
since exams can be read by anyone who holds the key their program was built with.

    python3 resources/make_key.py resources/key.bin
"""
import hashlib
import sys

SEED = b"veritor development key, not for real exams"
LENGTH = 65537


def make_key():
    out = bytearray()
    counter = 0
    while len(out) < LENGTH:
        out += hashlib.sha256(SEED + counter.to_bytes(4, "big")).digest()
        counter += 1
    return bytes(out[:LENGTH])


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "key.bin"
    with open(target, "wb") as f:
        f.write(make_key())
