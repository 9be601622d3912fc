#!/usr/bin/env python3
"""A small LZW encoder of the `compress` (.Z) format, written for the tests
as an independent producer of .Z data (its output is also checked with
`gzip -dc`).

usage: lzw_encode.py INPUT OUTPUT MAXBITS BLOCKMODE(0/1) CLEAR_WHEN_FULL(0/1) [INPUT OUTPUT ...]
(several files in one run, as starting Python is the slow part)

The writer works like the classic tool: codes start 9 bits wide and grow
when the next free entry would not fit; codes go out in groups of eight,
and a group is padded to its full size (n bytes for n-bit codes) when the
width changes or a CLEAR (code 256, block mode only) is sent. With
CLEAR_WHEN_FULL the table is cleared every time it fills, so CLEAR handling
is exercised on small inputs."""
import sys


def lzw_compress(data, maxbits, block, clear_when_full):
    maxmax = 1 << maxbits
    st = {"n": 9, "maxcode": 511, "free": 257 if block else 256}
    out = bytearray([0x1F, 0x9D, (0x80 if block else 0) | maxbits])
    grp = {"acc": 0, "nacc": 0, "count": 0}

    def flush_group():
        if grp["count"] == 0:
            return
        nb = (grp["nacc"] + 7) // 8
        chunk = grp["acc"].to_bytes(nb, "little")
        out.extend(chunk + b"\0" * (st["n"] - len(chunk)))
        grp.update(acc=0, nacc=0, count=0)

    def emit(code, clear=False):
        grp["acc"] |= code << grp["nacc"]
        grp["nacc"] += st["n"]
        grp["count"] += 1
        if grp["count"] == 8:
            out.extend(grp["acc"].to_bytes(st["n"], "little"))
            grp.update(acc=0, nacc=0, count=0)
        if clear:
            flush_group()
            st.update(n=9, maxcode=511)
        elif st["free"] > st["maxcode"]:
            flush_group()
            st["n"] += 1
            st["maxcode"] = maxmax if st["n"] == maxbits else (1 << st["n"]) - 1

    if data:
        table = {}
        ent = data[0]
        for c in data[1:]:
            key = (ent, c)
            if key in table:
                ent = table[key]
                continue
            emit(ent)
            if st["free"] < maxmax:
                table[key] = st["free"]
                st["free"] += 1
            elif clear_when_full and block:
                table = {}
                st["free"] = 257
                emit(256, clear=True)
            ent = c
        emit(ent)
        nb = (grp["nacc"] + 7) // 8
        out.extend(grp["acc"].to_bytes(nb, "little"))
    return bytes(out)


if __name__ == "__main__":
    args = sys.argv[1:]
    if not args or len(args) % 5:
        sys.exit(__doc__)
    for i in range(0, len(args), 5):
        src, dst, bits, block, clear = args[i:i + 5]
        with open(src, "rb") as f:
            data = f.read()
        with open(dst, "wb") as f:
            f.write(lzw_compress(data, int(bits), block == "1", clear == "1"))
