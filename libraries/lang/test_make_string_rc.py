#!/usr/bin/env python3
"""Every language library's resource script holds exactly the texts of its
text file: each text, with the family's name for {board}, comes back whole
from the run of pieces on consecutive string IDs, each piece short enough for
the program's 256-byte reads, and the ID after a run is free. Captions,
questions and headlines are read as single strings. The script is read back
here with a reader of rc string literals of its own."""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_string_rc as generator  # noqa: E402

LITERAL = re.compile(r'^\s*(\d+),\s*"((?:[^"]|"")*)"\s*$')
SINGLE = {1, 2, 4, 5, 6, 1000, 1001, 3000, 3001, 3010, 3011, 3002, 3003, 3004}
ESCAPE = re.compile(r'\\([0-7]{3}|\\|r|n)')


def read_string_table(rc):
    table = {}
    body = rc.split("STRINGTABLE", 1)[1].split("\nEND", 1)[0]
    for line in body.splitlines():
        match = LITERAL.match(line)
        if match:
            raw = match.group(2).replace('""', '"')
            text = ESCAPE.sub(lambda m: {"\\": "\\", "r": "\r", "n": "\n"}.get(m.group(1)) or
                              bytes([int(m.group(1), 8)]).decode("cp1252"), raw)
            table[int(match.group(1))] = text
    return table


def main():
    failures = checked = 0
    for texts in ("english.txt", "german.txt"):
        path = os.path.join(HERE, texts)
        source = generator.read_texts(path)
        for family, name in generator.FAMILIES.items():
            table = read_string_table(generator.generate(family, path)[0])
            for first, text in source.items():
                expected = text.replace("{board}", name).replace("{{", "{").replace("}}", "}")
                checked += 1
                pieces, n = [], first
                while n in table and len(pieces) < (1 if first in SINGLE else 100):
                    pieces.append(table[n])
                    n += 1
                if "".join(pieces) != expected or any(len(p) > 255 for p in pieces):
                    print("FAIL: %s %s [%d] reads back as %r" % (texts, family, first, "".join(pieces)[:80]))
                    failures += 1
    print("%d texts checked, %d failures" % (checked, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
