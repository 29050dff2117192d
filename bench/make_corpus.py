#!/usr/bin/env python3
"""Builds the benchmark corpora under bench/corpus/ from Japanese text that Debian packages ship.

  make_corpus.py --size 500     mixed-encoding tree of about 500 MB, its UTF-8 twin and its Shift-JIS subset
  make_corpus.py --empty 100000 a tree of that many empty files

A corpus is rebuilt only when its parameters differ from those recorded in its manifest.json,
which is written last, so an interrupted build is redone on the next call.
"""
import argparse
import bisect
import glob
import gzip
import json
import math
import os
import random
import shutil
import subprocess
import sys

BUILDER_VERSION = 3
HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS_ROOT = os.path.join(HERE, "corpus")
MAX_FILE = 10 * 1024 * 1024          # the tool skips files of this size or more
LARGEST_TARGET = 9 * 1024 * 1024     # a few files this big exercise the memory bound
BLOCK_LINES = 40                     # lines stay together in blocks so windows read like text

# name -> (weight among files, tree of its own?)
ENCODINGS = {
    "sjis": 2, "eucjp": 1, "jis": 1, "utf8": 1, "utf8bom": 1, "utf16le": 1, "utf16be": 1,
}

# (glob, source encoding, gzip'd)
SOURCES = [
    ("/usr/share/debian-reference/debian-reference.ja.txt.gz", "utf-8", True),
    ("/usr/share/doc/debian/FAQ/debian-faq.ja.txt.gz", "utf-8", True),
    ("/usr/share/doc/maint-guide-ja/maint-guide.ja.txt.gz", "utf-8", True),
    ("/usr/share/man/ja/man*/*.gz", "utf-8", True),
    ("/usr/share/skk/SKK-JISYO.L", "euc-jp", False),
    ("/usr/share/mecab/dic/ipadic/*.csv", "euc-jp", False),
]
PACKAGES = "mecab-ipadic skkdic manpages-ja debian-reference-ja debian-faq-ja maint-guide-ja"


def log(msg):
    print(msg, file=sys.stderr, flush=True)


def read_sources():
    lines = []
    used = []
    for pattern, enc, zipped in SOURCES:
        for path in sorted(glob.glob(pattern)):
            opener = gzip.open if zipped else open
            with opener(path, "rb") as f:
                data = f.read()
            text = data.decode(enc, errors="ignore")
            for line in text.splitlines():
                line = line.rstrip()
                # control characters other than tab would make a file look binary
                if any(ord(c) < 0x20 and c != "\t" for c in line) or "\x7f" in line:
                    continue
                lines.append(line)
            used.append(path)
    if not lines:
        sys.exit("no source text found: apt-get install " + PACKAGES)
    return lines, used


def iconv(data, src, dst):
    r = subprocess.run(["iconv", "-c", "-f", src, "-t", dst], input=data,
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return r.stdout


def common_characters(lines):
    """Drops every character that CP932, EUC-JP or ISO-2022-JP cannot hold or would map to another one,
    by converting through all three with glibc iconv until nothing changes."""
    text = "\n".join(lines).encode("utf-8")
    for _ in range(6):
        before = text
        for enc in ("CP932", "EUC-JP", "ISO-2022-JP"):
            text = iconv(iconv(text, "UTF-8", enc), enc, "UTF-8")
        if text == before:
            out = text.decode("utf-8").split("\n")
            if len(out) != len(lines):
                sys.exit("line count changed in conversion")
            return out
    sys.exit("conversion did not settle")


def build_pool(seed):
    lines, used = read_sources()
    log(f"{len(lines)} source lines from {len(used)} files")
    lines = common_characters(lines)
    blocks = [lines[i:i + BLOCK_LINES] for i in range(0, len(lines), BLOCK_LINES)]
    random.Random(seed).shuffle(blocks)
    pool = [l for b in blocks for l in b]
    return pool, used


def encode_pool(pool):
    """Per encoding, the bytes of every pool line with its line feed. Each line starts and ends in the
    initial state, so any run of lines concatenates to valid text (JIS switches back to ASCII before LF)."""
    joined = ("\n".join(pool) + "\n").encode("utf-8")
    enc = {"utf8": [(l + "\n").encode("utf-8") for l in pool]}
    for name, target in (("sjis", "CP932"), ("eucjp", "EUC-JP"), ("jis", "ISO-2022-JP")):
        data = iconv(joined, "UTF-8", target)
        parts = data.split(b"\n")
        if parts[-1] != b"" or len(parts) - 1 != len(pool):
            sys.exit(f"{target}: line count changed")
        enc[name] = [p + b"\n" for p in parts[:-1]]
        if name == "jis":
            for p in enc[name]:
                i = p.rfind(b"\x1b")
                if i >= 0 and p[i:i + 3] != b"\x1b(B":
                    sys.exit("ISO-2022-JP line does not end in ASCII mode")
    enc["utf16le"] = [(l + "\n").encode("utf-16-le") for l in pool]
    enc["utf16be"] = [(l + "\n").encode("utf-16-be") for l in pool]
    enc["utf8bom"] = enc["utf8"]
    return enc


BOMS = {"utf8bom": b"\xef\xbb\xbf", "utf16le": b"\xff\xfe", "utf16be": b"\xfe\xff"}


def plan_sizes(total, count, rng):
    """File sizes: log-normal around 16 KB, a few near 9 MB, scaled to the total, all under the limit."""
    big = min(7, max(1, total // (60 * 1024 * 1024)))
    big_size = min(LARGEST_TARGET, total // 20)
    sizes = [big_size] * big
    rest = [rng.lognormvariate(math.log(16 * 1024), 1.4) for _ in range(count - big)]
    want = total - big * big_size
    for _ in range(20):
        scale = want / sum(rest)
        rest = [min(max(s * scale, 512), big_size) for s in rest]
    sizes += [int(s) for s in rest]
    rng.shuffle(sizes)
    return sizes


def make_corpus(size_mb, seed):
    name = f"{size_mb}mb"
    base = os.path.join(CORPUS_ROOT, name)
    params = {"builder": BUILDER_VERSION, "size_mb": size_mb, "seed": seed}
    manifest_path = os.path.join(base, "manifest.json")
    if os.path.exists(manifest_path):
        with open(manifest_path) as f:
            old = json.load(f)
        if old.get("params") == params:
            log(f"{name}: already built")
            return
    if os.path.exists(base):
        shutil.rmtree(base)
    log(f"{name}: building")
    rng = random.Random(seed)
    pool, used = build_pool(seed)
    enc = encode_pool(pool)
    cum = {}
    for k, v in enc.items():
        c = [0]
        for b in v:
            c.append(c[-1] + len(b))
        cum[k] = c

    total = size_mb * 1024 * 1024
    count = max(100, size_mb * 24)
    sizes = plan_sizes(total, count, rng)
    names = [e for e, w in ENCODINGS.items() for _ in range(w)]
    codes = [names[i % len(names)] for i in range(count)]
    rng.shuffle(codes)
    # the largest files come in every encoding, so each tree has one near the top size
    big_idx = sorted(range(count), key=lambda i: -sizes[i])[:len(ENCODINGS)]
    for i, e in zip(big_idx, ENCODINGS):
        codes[i] = e
    fan = max(2, math.ceil((count / 12) ** (1 / 3)))

    trees = {t: os.path.join(base, t) for t in ("mixed", "twin", "sjis", "sjis_twin")}
    stats = {t: {"files": 0, "bytes": 0, "largest": 0} for t in trees}
    per_enc = {e: {"files": 0, "bytes": 0} for e in ENCODINGS}
    n = len(pool)

    def write(tree, rel, data):
        path = os.path.join(trees[tree], rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        s = stats[tree]
        s["files"] += 1
        s["bytes"] += len(data)
        s["largest"] = max(s["largest"], len(data))

    for i in range(count):
        code = codes[i]
        leaf = i % (fan ** 3)
        rel = os.path.join(f"d{leaf // (fan * fan):02d}", f"d{leaf // fan % fan:02d}",
                           f"d{leaf % fan:02d}", f"f{i:06d}.txt")
        c = cum[code]
        start = rng.randrange(n)
        want = sizes[i] - len(BOMS.get(code, b""))
        # take lines from start on, wrapping round the pool, until the file has its size
        pieces = []
        j, got = start, 0
        while got < want:
            end = bisect.bisect_left(c, c[j] + (want - got), lo=j + 1, hi=n)
            end = max(end, j + 1)
            pieces.append((j, end))
            got += c[end] - c[j]
            j = end % n
        data = BOMS.get(code, b"") + b"".join(b for a, e in pieces for b in enc[code][a:e])
        if len(data) >= MAX_FILE:
            sys.exit(f"{rel}: {len(data)} bytes, over the size limit")
        utf8 = b"".join(b for a, e in pieces for b in enc["utf8"][a:e])
        write("mixed", rel, data)
        write("twin", rel, utf8)
        per_enc[code]["files"] += 1
        per_enc[code]["bytes"] += len(data)
        if code == "sjis":
            write("sjis", rel, data)
            write("sjis_twin", rel, utf8)
        if i % 2000 == 0:
            log(f"  {i}/{count} files")

    manifest = {"params": params, "trees": stats, "encodings": per_enc, "pool_lines": n,
                "sources": used, "fan": fan}
    with open(manifest_path, "w") as f:
        json.dump(manifest, f, indent=1)
    log(f"{name}: {stats['mixed']['files']} files, {stats['mixed']['bytes'] / 1e6:.1f} MB mixed, "
        f"largest {stats['mixed']['largest']} bytes")


def make_empty(count):
    base = os.path.join(CORPUS_ROOT, f"empty{count}")
    params = {"builder": BUILDER_VERSION, "empty": count}
    manifest_path = os.path.join(base, "manifest.json")
    if os.path.exists(manifest_path):
        with open(manifest_path) as f:
            if json.load(f).get("params") == params:
                log(f"empty{count}: already built")
                return
    if os.path.exists(base):
        shutil.rmtree(base)
    log(f"empty{count}: building")
    fan = max(2, math.ceil((count / 100) ** (1 / 3)))
    tree = os.path.join(base, "tree")
    for i in range(count):
        leaf = i % (fan ** 3)
        d = os.path.join(tree, f"d{leaf // (fan * fan):02d}", f"d{leaf // fan % fan:02d}", f"d{leaf % fan:02d}")
        if i < fan ** 3:
            os.makedirs(d, exist_ok=True)
        open(os.path.join(d, f"e{i:06d}.txt"), "wb").close()
    with open(manifest_path, "w") as f:
        json.dump({"params": params, "trees": {"tree": {"files": count, "bytes": 0, "largest": 0}}}, f)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--size", type=int, action="append", default=[], help="corpus size in MB (repeatable)")
    ap.add_argument("--empty", type=int, action="append", default=[], help="tree of N empty files (repeatable)")
    ap.add_argument("--seed", type=int, default=20240601)
    args = ap.parse_args()
    if not args.size and not args.empty:
        args.size, args.empty = [500, 50], [100000]
    for s in args.size:
        make_corpus(s, args.seed)
    for e in args.empty:
        make_empty(e)


if __name__ == "__main__":
    main()
