#!/usr/bin/env python3
"""Compares the character code that a search decides for each file with `nkf --guess`.

  nkf_agreement.py [--detect BIN] [--before BIN] [SET ...]

A SET is a folder (every regular file below it) or a file. Gzip'd files are read unpacked, so
that manual pages and packed documents count as the text they hold. Without sets: the mixed tree
of the 500 MB benchmark corpus, /usr/share/doc, the Japanese manual pages and the Japanese
dictionaries that the corpus is made from. For each set it prints how many files the two agree
on and a table of the pairs of answers where they don't, with a few files of each pair.
--before names another build of bench/detect_codes.cpp, whose answers are counted beside.
"""
import argparse
import collections
import gzip
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_SETS = [
    os.path.join(HERE, "corpus", "500mb", "mixed"),
    "/usr/share/doc",
    "/usr/share/man/ja",
    "/usr/share/skk",
    "/usr/share/mecab/dic/ipadic",
]
BATCH = 400


def nkf_code(guess):
    """nkf's answer in the names detect_codes prints."""
    base = guess.split(" (")[0]
    if base == "ASCII":
        return "ascii"
    if base == "BINARY":
        return "binary"
    if base in ("Shift_JIS", "CP932", "Windows-31J"):
        return "sjis"
    if base in ("EUC-JP", "CP51932", "eucJP-ms", "EUCJP-MS"):
        return "euc"
    if base.startswith("ISO-2022-JP"):
        return "jis"
    if base == "UTF-8":
        return "utf8bom" if "(BOM)" in guess else "utf8"
    if base.startswith("UTF-16"):
        return "utf16le" if "LE" in base else "utf16be"
    return base


def agrees(ours, theirs):
    # Text with no byte of 0x80 or more: nkf says ASCII, we may say binary (control bytes) or
    # ascii; neither converts anything, so both read it the same.
    if ours == theirs:
        return True
    return ours == "binary" and theirs == "ascii"


def files_of(sets, scratch):
    """(shown name, path to read) of every regular file, gzip'd ones unpacked into scratch."""
    out = []
    for top in sets:
        paths = [top] if os.path.isfile(top) else sorted(
            os.path.join(root, name) for root, _, names in os.walk(top) for name in names)
        for path in paths:
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            if path.endswith(".gz"):
                try:
                    with gzip.open(path, "rb") as f:
                        data = f.read()
                except (OSError, EOFError):
                    continue
                unpacked = os.path.join(scratch, str(len(out)))
                with open(unpacked, "wb") as f:
                    f.write(data)
                out.append((top, path, unpacked))
            else:
                out.append((top, path, path))
    return out


def detect(binary, paths):
    feed = b"".join(os.fsencode(p) + b"\0" for p in paths)
    result = subprocess.run([binary], input=feed, stdout=subprocess.PIPE, check=True).stdout
    codes = [line.split(b"\t", 1)[0].decode() for line in result.splitlines()]
    if len(codes) != len(paths):
        sys.exit("detect_codes printed %d answers for %d files" % (len(codes), len(paths)))
    return codes


def guess(paths):
    codes = []
    for start in range(0, len(paths), BATCH):
        batch = paths[start:start + BATCH]
        # One file at a time prints the guess alone; with several, nkf puts "name: " before it.
        out = subprocess.run(["nkf", "--guess"] + batch, stdout=subprocess.PIPE, check=True).stdout
        lines = out.decode("utf-8", "replace").splitlines()
        if len(batch) == 1:
            codes.append(nkf_code(lines[0]))
            continue
        if len(lines) != len(batch):
            sys.exit("nkf printed %d guesses for %d files" % (len(lines), len(batch)))
        codes.extend(nkf_code(line.rsplit(": ", 1)[1]) for line in lines)
    return codes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--detect", default=os.path.join(HERE, "..", "build", "tests", "detect_codes"))
    parser.add_argument("--before")
    parser.add_argument("--examples", type=int, default=3)
    parser.add_argument("sets", nargs="*")
    args = parser.parse_args()
    sets = [s for s in (args.sets or DEFAULT_SETS) if os.path.exists(s)]
    with tempfile.TemporaryDirectory() as scratch:
        files = files_of(sets, scratch)
        readable = [f[2] for f in files]
        ours = detect(args.detect, readable)
        before = detect(args.before, readable) if args.before else None
        theirs = guess(readable)
    for top in sets:
        rows = [i for i, f in enumerate(files) if f[0] == top]
        if not rows:
            continue
        same = sum(agrees(ours[i], theirs[i]) for i in rows)
        line = "%s: %d files, %d agree with nkf (%.2f%%)" % (top, len(rows), same, 100.0 * same / len(rows))
        if before:
            same_before = sum(agrees(before[i], theirs[i]) for i in rows)
            changed = sum(before[i] != ours[i] for i in rows)
            line += "; before: %d agree, %d files decided otherwise now" % (same_before, changed)
        print(line)
        pairs = collections.defaultdict(list)
        for i in rows:
            if not agrees(ours[i], theirs[i]):
                pairs[(ours[i], theirs[i])].append(files[i][1])
        for (o, t), names in sorted(pairs.items(), key=lambda kv: -len(kv[1])):
            print("  ours %-12s nkf %-12s %6d  e.g. %s" % (o, t, len(names), ", ".join(names[:args.examples])))
        if before:
            moved = collections.Counter((before[i], ours[i]) for i in rows if before[i] != ours[i])
            for (b, o), count in moved.most_common():
                print("  before %-10s now %-10s %6d" % (b, o, count))


if __name__ == "__main__":
    main()
