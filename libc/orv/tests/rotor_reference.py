#!/usr/bin/env python3
"""Reference of the archive rotor cipher for the tests, written apart from
the C++ code: hashes the password with the system's crypt (the `crypt`
module over libcrypt; salt = the password's first two characters), builds
the rotor with C's signed 32-bit arithmetic and enciphers a text.

usage: rotor_reference.py PLAINHEX PASSWORD...
prints the enciphered hex, one line per password"""
import sys
import warnings

try:
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        import crypt
except ImportError:
    sys.exit(3)


def s32(x):
    return (x + 2**31) % 2**32 - 2**31


def c_rem(a, b):
    r = abs(a) % b
    return -r if a < 0 else r


def schar(c):
    return c - 256 if c >= 128 else c


def rotor_from_hash(h):
    seed = 123
    for i, c in enumerate(h):
        seed = s32(seed * schar(c) + i)
    rotor = list(range(256))
    refl = [0] * 256
    for k in range(255, -1, -1):
        seed = s32(5 * seed + schar(h[(255 - k) % 13]))
        r = c_rem(seed, 65521)
        w = (r & 255) % (k + 1)
        rotor[k], rotor[w] = rotor[w], rotor[k]
        if refl[k] == 0:
            j = ((r >> 8) & 255) % k
            while refl[j] != 0:
                j = (j + 1) % k
            refl[k] = j
            refl[j] = k
    inv = [0] * 256
    for i in range(256):
        inv[rotor[i]] = i
    return rotor, refl, inv


def encipher(state, data):
    rotor, refl, inv = state
    p = q = 0
    out = bytearray()
    for b in data:
        out.append((inv[(refl[(rotor[(b + p) & 255] + q) & 255] - q) & 255] - p) & 255)
        p = (p + 1) & 255
        if p == 0:
            q = (q + 1) & 255
    return bytes(out)


if __name__ == "__main__":
    plain = bytes.fromhex(sys.argv[1])
    for password in sys.argv[2:]:
        pw = password[:8]
        h = crypt.crypt(pw, pw[:2]).encode("latin-1")
        assert len(h) == 13, h
        print(encipher(rotor_from_hash(h), plain).hex())
