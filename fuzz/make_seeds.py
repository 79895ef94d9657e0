"""Writes one fuzz seed, its parts joined as fuzz_input.h splits them:
    make_seeds.py SEED PART...
each PART the bytes of a file (@PATH) or the text itself."""
import sys

SEPARATOR = b"\n@@\n"
parts = [open(a[1:], "rb").read() if a.startswith("@") else a.encode() for a in sys.argv[2:]]
assert not any(SEPARATOR in part for part in parts[:-1]), "a part holds the separator"
with open(sys.argv[1], "wb") as seed:
    seed.write(SEPARATOR.join(parts))
