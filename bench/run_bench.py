#!/usr/bin/env python3
"""Times tansa2-grep against ripgrep, GNU grep and ugrep on the corpora that make_corpus.py built,
prints a table of medians and ratios to ripgrep, and writes it to bench/RESULTS.md."""
import argparse
import datetime
import json
import math
import os
import platform
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")
MB = 1024 * 1024
GNU_TIME = "/usr/bin/time"
MAX_ROUNDS = 25

RG = ["rg", "--no-config", "--no-ignore", "--hidden", "--no-heading", "-n", "-j2"]
UTF8 = {"LC_ALL": "C.UTF-8"}
BYTES = {"LC_ALL": "C"}


class Tool:
    def __init__(self, label, argv, env=UTF8, is_tansa=False, is_rg=False, cwd=None, ref=None):
        self.label, self.argv, self.env = label, argv, env
        self.is_tansa, self.is_rg = is_tansa, is_rg
        self.cwd = cwd        # where it runs, when not in its case's directory
        self.ref = ref        # the tool its ratios are taken to, when not its case's rg
        self.samples = []
        self.warm = None
        self.status = ""      # TIMEOUT, ERROR ..., missing

    def median(self, key):
        runs = self.samples or ([self.warm] if self.warm else [])
        return statistics.median(r[key] for r in runs) if runs else None

    def peak_rss(self):
        runs = self.samples + ([self.warm] if self.warm else [])
        return max((r["rss"] for r in runs), default=None)

    def count(self):
        runs = self.samples or ([self.warm] if self.warm else [])
        return runs[-1]["lines"] if runs else None


def run_once(argv, env, cwd, timeout):
    """Runs one command; returns wall and CPU seconds, peak RSS in bytes, output lines, exit code.
    GNU time starts the command, so its peak RSS is not raised by the pages of this Python process
    that a fork from here would carry into the child."""
    full_env = dict(os.environ, **env)
    with tempfile.TemporaryFile() as err, tempfile.NamedTemporaryFile("r") as rss:
        t0 = time.perf_counter()
        p = subprocess.Popen([GNU_TIME, "-f", "%M", "-o", rss.name, *argv], stdout=subprocess.PIPE,
                             stderr=err, stdin=subprocess.DEVNULL, env=full_env, cwd=cwd,
                             start_new_session=True)
        timed_out = threading.Event()

        def kill():
            timed_out.set()
            try:
                os.killpg(p.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        timer = threading.Timer(timeout, kill)
        timer.start()
        lines = 0
        fd = p.stdout.fileno()
        while True:
            chunk = os.read(fd, 1 << 20)
            if not chunk:
                break
            lines += chunk.count(b"\n")
        _, status, ru = os.wait4(p.pid, 0)
        wall = time.perf_counter() - t0
        timer.cancel()
        p.returncode = os.waitstatus_to_exitcode(status)
        p.stdout.close()
        err.seek(0)
        message = err.read(300).decode("utf-8", "replace").strip().splitlines()
        # the last line is %M; a line before it reports a non-zero exit status
        reported = rss.read().split()
    peak = int(reported[-1]) * 1024 if reported and reported[-1].isdigit() else 0
    return {"wall": wall, "cpu": ru.ru_utime + ru.ru_stime, "rss": peak,
            "lines": lines, "rc": p.returncode, "timeout": timed_out.is_set(),
            "err": message[0] if message else ""}


def measuring_cost(runs=15):
    """Wall and CPU seconds that starting a command through GNU time and reading its output take by
    themselves (medians over runs of `true`): taken off every run, as hyperfine takes off the shell's
    start, since they would weigh twenty percent on a run of 40 ms and three on one of 250."""
    samples = [run_once(["true"], {}, HERE, 10) for _ in range(runs)]
    return (statistics.median(r["wall"] for r in samples), statistics.median(r["cpu"] for r in samples))


def settle_page_cache(trees):
    """Empties the page cache (where this runs as root) and reads every file of the trees once, so
    that all of them are cached as reading leaves a file, the way a user's files are. A corpus just
    written is cached as writing left it, in smaller pieces for some trees than for others: reading a
    whole tree from the cache cost up to 15% more in one tree than in its twin before this. Returns
    how the cache was left, for the results."""
    try:
        os.sync()
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
    except OSError:
        return "as building the corpora left it (emptying it needs root)"
    for tree in trees:
        for root, _, files in os.walk(tree):
            for name in files:
                with open(os.path.join(root, name), "rb") as f:
                    while f.read(1 << 20):
                        pass
    return "emptied, then every corpus file read once"


def accept(tool, r):
    """Records a run; returns False when the tool must not be run again in this case."""
    if r["timeout"]:
        tool.status = "TIMEOUT"
        return False
    if r["rc"] not in (0, 1):
        tool.status = f"ERROR rc={r['rc']} {r['err']}"[:60]
        return False
    return True


class Case:
    def __init__(self, key, title, cwd, tools, target=None, tree=None, same_search=True, min_rounds=0):
        self.key, self.title, self.cwd, self.tools = key, title, cwd, tools
        self.same_search = same_search
        self.min_rounds = min_rounds  # measured rounds at least, budget permitting
        self.target = target      # (text, function(case) -> (passed, why))
        self.tree = tree          # manifest stats of the tree tansa2 searches

    def rg(self):
        return next((t for t in self.tools if t.is_rg), None)

    def tansa(self):
        return next((t for t in self.tools if t.is_tansa), None)


def run_case(case, runs, min_seconds, timeout, budget, cost):
    """Warm-up round, then `runs` rounds with the tools in rotating order, or more where rounds are so
    short that `runs` of them take less than `min_seconds` (the median of a few runs of some tens of
    milliseconds is mostly noise), as far as the budget allows."""
    start = time.perf_counter()
    live = []
    for t in case.tools:
        if t.status:
            continue
        r = without_cost(run_once(t.argv, t.env, t.cwd or case.cwd, timeout), cost)
        if accept(t, r):
            t.warm = r
            live.append(t)
    round_time = time.perf_counter() - start
    rounds = max(runs, case.min_rounds)
    if round_time > 0:
        rounds = max(rounds, min(MAX_ROUNDS, math.ceil(min_seconds / round_time)))
        rounds = min(rounds, int((budget - round_time) / round_time))
    for k in range(max(rounds, 0)):
        order = live[k % len(live):] + live[:k % len(live)] if live else []
        for t in order:
            if t.status:
                continue
            r = without_cost(run_once(t.argv, t.env, t.cwd or case.cwd, timeout), cost)
            if accept(t, r):
                t.samples.append(r)


def without_cost(r, cost):
    wall, cpu = cost
    return dict(r, wall=max(r["wall"] - wall, 0.0), cpu=max(r["cpu"] - cpu, 0.0))


def fmt(v, unit=""):
    if v is None:
        return "-"
    if unit == "MB":
        return f"{v / MB:.1f}"
    if unit == "x":
        return f"{v:.2f}x"
    return f"{v:.3f}"


def ratio(a, b):
    return a / b if a is not None and b else None


def within(limit):
    def check(case):
        t, rg = case.tansa(), case.rg()
        r = ratio(t.median("wall"), rg.median("wall"))
        if r is None:
            return False, t.status or rg.status or "no data"
        return r <= limit, f"{r:.2f}x"
    return check


def within_cpu(wall_limit, cpu_limit):
    def check(case):
        t, rg = case.tansa(), case.rg()
        w = ratio(t.median("wall"), rg.median("wall"))
        c = ratio(t.median("cpu"), rg.median("cpu"))
        if w is None or c is None:
            return False, t.status or rg.status or "no data"
        return w <= wall_limit and c <= cpu_limit, f"{w:.2f}x wall, {c:.2f}x CPU"
    return check


def case1_check(case):
    ok, why = within(1.15)(case)
    t = case.tansa()
    for other in case.tools:
        if other.label in ("grep", "ugrep"):
            w = other.median("wall")
            if w is None or t.median("wall") is None or t.median("wall") >= w:
                ok = False
                why += f", not below {other.label}"
    return ok, why


def load_manifest(name):
    path = os.path.join(CORPUS, name, "manifest.json")
    if not os.path.exists(path):
        sys.exit(f"{path} missing: run bench/make_corpus.py first")
    with open(path) as f:
        return json.load(f)


def version(argv):
    try:
        out = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=10).stdout
        return out.decode("utf-8", "replace").splitlines()[0].strip()
    except (OSError, IndexError, subprocess.TimeoutExpired):
        return "not found"


def machine():
    mem = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                mem = int(line.split()[1]) * 1024
    model = ""
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return f"{os.cpu_count()} cores ({model}), {mem / 2**30:.1f} GiB memory, Linux {platform.release()}"


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--tansa", default=os.path.join(REPO, "build", "tansa2-grep"))
    ap.add_argument("--size", type=int, default=500, help="main corpus, MB")
    ap.add_argument("--small", type=int, default=50, help="corpus for the linearity check, MB")
    ap.add_argument("--empty", type=int, default=100000, help="files in the empty tree")
    ap.add_argument("--runs", type=int, default=5, help="measured runs per tool after the warm-up")
    ap.add_argument("--min-seconds", type=float, default=1.0,
                    help="more runs (up to %d) where the measured runs would take less" % MAX_ROUNDS)
    ap.add_argument("--timeout", type=float, default=60, help="seconds before a run is killed")
    ap.add_argument("--budget", type=float, default=480, help="seconds for all measuring")
    ap.add_argument("--word", default="日本", help="Japanese literal")
    ap.add_argument("--regex", default="東.{0,3}[都府県]")
    ap.add_argument("--ascii", default="file", help="ASCII word searched ignoring case")
    ap.add_argument("--results", default=os.path.join(HERE, "RESULTS.md"))
    ap.add_argument("--only", help="comma-separated keys of the cases to run")
    args = ap.parse_args()

    big, small, empty = f"{args.size}mb", f"{args.small}mb", f"empty{args.empty}"
    man_big, man_small, man_empty = load_manifest(big), load_manifest(small), load_manifest(empty)
    tansa = os.path.abspath(args.tansa)
    have_tansa = os.access(tansa, os.X_OK)
    word_sjis = args.word.encode("cp932")

    def tansa_argv(*a):
        """The cases' options in the window's terms (-r subdirs, -a detect codes, -c match
        case) as tansa2-grep spells them: detection and case by default, --raw and -i otherwise."""
        return ([tansa] + ([] if "-a" in a else ["--raw"]) + ([] if "-c" in a else ["-i"])
                + [x for x in a if x not in ("-r", "-a", "-c")])

    def T(*a):
        return Tool("tansa2-grep", tansa_argv(*a), is_tansa=True)

    def R(*a, label="rg"):
        return Tool(label, RG + list(a), is_rg=(label == "rg"))

    cw_big, cw_small = os.path.join(CORPUS, big), os.path.join(CORPUS, small)
    w, rx, asc = args.word, args.regex, args.ascii
    def case5_check(case):
        t, g = case.tansa(), case.tools[1]
        r = ratio(t.median("wall"), g.median("wall"))
        return (r is not None and r <= 1.0), (f"{r:.2f}x grep" if r else t.status or "no data")

    def growth(small_tool, big_tool, tree):
        """Cost of each MB added from the small corpus to the large one, against the large run's cost
        per MB: a fixed cost (start, threads) doesn't enter the first, and a cost that grows faster
        than the text shows in it."""
        a, b = small_tool.median("wall"), big_tool.median("wall")
        if a is None or b is None:
            return None
        small_mb = man_small["trees"][tree]["bytes"] / MB
        big_mb = man_big["trees"][tree]["bytes"] / MB
        marginal = (b - a) / (big_mb - small_mb)
        per_big = b / big_mb
        return marginal, per_big, marginal / per_big

    def case7a_check(case):
        tansa = growth(case.tools[0], case.tools[2], "mixed")
        if tansa is None:
            return False, "no data"
        marginal, per_big, r = tansa
        text = f"{marginal * 1000:.3f} vs {per_big * 1000:.3f} ms/MB = {r:.2f}"
        # How far the machine itself is from linear at these sizes: rg's own ratio.
        rg = growth(case.tools[1], case.tools[3], "twin")
        if rg is not None:
            text += f"; rg {rg[2]:.2f}"
        return abs(r - 1) <= 0.2, text

    rg_big = Tool(f"rg ({big})", RG + ["-F", w, "twin"], cwd=cw_big, is_rg=True)
    cases = [
        Case("1", f"Japanese literal {w}, match case, auto code ({big})", cw_big,
             [T("-r", "-a", "-c", "-F", w, "mixed"), R("-F", w, "twin"),
              Tool("grep", ["grep", "-r", "-n", "-F", w, "twin"]),
              Tool("ugrep", ["ugrep", "-r", "-n", "-a", "-J2", "-F", w, "twin"])],
             ("<=1.15x rg, < grep, < ugrep", case1_check), man_big["trees"]["mixed"]),
        Case("2", f"Japanese literal {w} on the Shift-JIS subset ({big})", cw_big,
             [T("-r", "-a", "-c", "-F", w, "sjis"), R("-E", "shift_jis", "-F", w, "sjis"),
              R("-F", w, "sjis_twin", label="rg (UTF-8 copy)")],
             ("<=0.2x rg", within(0.2)), man_big["trees"]["sjis"]),
        Case("3", f"regular expression {rx}, match case ({big})", cw_big,
             [T("-r", "-a", "-c", rx, "mixed"), R(rx, "twin")],
             ("<=1.3x rg", within(1.3)), man_big["trees"]["mixed"]),
        Case("4", f"ASCII word {asc}, ignoring case ({big})", cw_big,
             [T("-r", "-a", "-F", asc, "mixed"), R("-i", "-F", asc, "twin")],
             ("<=1.2x rg", within(1.2)), man_big["trees"]["mixed"]),
        Case("5", f"raw bytes, {w} on the Shift-JIS subset, no code detection ({big})", cw_big,
             [T("-r", "-c", "-F", w, "sjis"),
              Tool("grep", ["grep", "-r", "-n", "-F", word_sjis, "sjis"], env=BYTES)],
             ("<=1.0x grep", case5_check), man_big["trees"]["sjis"]),
        # Both corpora in one case, their runs interleaved: measured minutes apart, the two times
        # would also hold the machine's drift. A ratio of two medians wants more rounds than one.
        Case("7a", f"case 1 on the small corpus ({small}) and on the large one ({big}), interleaved", cw_small,
             [T("-r", "-a", "-c", "-F", w, "mixed"), R("-F", w, "twin"),
              Tool(f"tansa2-grep ({big})", tansa_argv("-r", "-a", "-c", "-F", w, "mixed"), cwd=cw_big, ref=rg_big),
              rg_big],
             ("marginal ms/MB 50->500 within 20% of 500's", case7a_check), man_small["trees"]["mixed"],
             same_search=False, min_rounds=MAX_ROUNDS),
        Case("7b", f"{args.empty} empty files: search vs rg --files", os.path.join(CORPUS, empty),
             [T("-r", "-F", "x", "tree"), R("--files", "tree"), R("-F", "x", "tree", label="rg (search)")],
             ("<=1.0x rg", within(1.0)), man_empty["trees"]["tree"], same_search=False),
    ]

    # Alternations of words (t: letter case matters), patterns with no word, and a character on
    # most lines.
    mixed = man_big["trees"]["mixed"]
    for key, words, match_case in (("8a", "東京|大阪", True), ("8b", "ファイル|データ|システム", True),
                                   ("8c", "東京|大阪|京都|名古屋|横浜", True), ("8d", "file|dir|path", False),
                                   ("8e", "error|warning|fatal|debug|info", True)):
        cases.append(Case(key, f"alternation {words}, {'match case' if match_case else 'ignoring case'} ({big})",
                          cw_big, [T("-r", "-a", *(["-c"] if match_case else []), words, "mixed"),
                                   R(*([] if match_case else ["-i"]), words, "twin")],
                          ("<=1.5x rg", within(1.5)), mixed))
    for key, rx_, what in (("9a", "[ァ-ヶ]{8,}", "without a required word"),
                           ("9b", r"\d{3}-\d{4}", "without a required word"),
                           ("9c", r"^\s*$", "without a required word"),
                           ("9d", "[一-龠]{4}", "without a required word, kanji on most lines"),
                           ("9e", "[アイウ]{3}", "requiring common single characters")):
        cases.append(Case(key, f"regular expression {rx_} {what} ({big})", cw_big,
                          [T("-r", "-a", "-c", rx_, "mixed"), R(rx_, "twin")], ("<=2.0x rg", within(2.0)), mixed))
    cases.append(Case("10", f"one character, の, on most lines ({big})", cw_big,
                      [T("-r", "-a", "-c", "-F", "の", "mixed"), R("-F", "の", "twin")],
                      ("<=1.5x rg wall, <=2.0x CPU", within_cpu(1.5, 2.0)), mixed))
    # Regular expressions without a required word (a: letter case ignored), literals of rare and
    # of common bytes, and common characters on more than 300,000 lines.
    for key, rx_, match_case in (("11a", "[0-9]{4}[/.][0-9]{1,2}", True), ("11b", r"\d+[-/]\d+", True),
                                 ("11c", "[一-龠]{2}[ぁ-ん]{2}", True), ("11d", "[ぁ-ん]{2}[一-龠]{2}", True),
                                 ("11e", r"\s{4,}\S", True), ("11f", "[a-z]{12,}", False),
                                 ("11g", "[ぁ-ん]+です", True)):
        cases.append(Case(key, f"regular expression {rx_}, {'match case' if match_case else 'ignoring case'} ({big})",
                          cw_big, [T("-r", "-a", *(["-c"] if match_case else []), rx_, "mixed"),
                                   R(*([] if match_case else ["-i"]), rx_, "twin")],
                          ("<=1.5x rg", within(1.5)), mixed))
    for key, lit in (("12a", "ﾌｧｲﾙ"), ("12b", "ﾃﾞｰﾀ"), ("12c", "ｶﾞ"), ("12d", "日本語")):
        cases.append(Case(key, f"literal {lit} ({big})", cw_big,
                          [T("-r", "-a", "-c", "-F", lit, "mixed"), R("-F", lit, "twin")],
                          ("<=1.1x rg", within(1.1)), mixed))
    for key, lit in (("13a", "は"), ("13b", "、")):
        cases.append(Case(key, f"one character, {lit}, on most lines ({big})", cw_big,
                          [T("-r", "-a", "-c", "-F", lit, "mixed"), R("-F", lit, "twin")],
                          ("<=1.2x rg", within(1.2)), mixed))
    if args.only:
        cases = [c for c in cases if c.key in args.only.split(",")]

    for c in cases:
        for t in c.tools:
            if t.is_tansa and not have_tansa:
                t.status = "missing"
            elif not t.is_tansa and shutil.which(t.argv[0]) is None:
                t.status = "missing"

    print("settling the page cache ...", file=sys.stderr, flush=True)
    page_cache = settle_page_cache([cw_big, cw_small, os.path.join(CORPUS, empty)])
    cost = measuring_cost()
    started = time.perf_counter()
    for i, c in enumerate(cases):
        remaining = args.budget - (time.perf_counter() - started)
        share = remaining / (len(cases) - i)
        print(f"case {c.key}: {c.title} ...", file=sys.stderr, flush=True)
        run_case(c, args.runs, args.min_seconds, args.timeout, share, cost)
    elapsed = time.perf_counter() - started

    head = ["case", "tool", "n", "wall s", "cpu s", "RSS MB", "count", "wall/ref", "cpu/ref", "RSS/ref",
            "target", "result"]
    rows = []
    notes = []
    for c in cases:
        for t in c.tools:
            rg = t.ref or (t if t.is_rg else c.rg() or c.tools[1])
            wall, cpu, rss = t.median("wall"), t.median("cpu"), t.median("rss")
            n = str(len(t.samples)) if t.samples else ("w" if t.warm else "0")
            row = [c.key, t.label, n, fmt(wall), fmt(cpu), fmt(rss, "MB"),
                   "-" if t.count() is None else str(t.count()),
                   fmt(ratio(wall, rg.median("wall")), "x"), fmt(ratio(cpu, rg.median("cpu")), "x"),
                   fmt(ratio(rss, rg.median("rss")), "x"), "", ""]
            if t.status:
                row[11] = t.status
            if t.is_tansa and c.target and c.target[1]:
                ok, why = c.target[1](c)
                row[10] = c.target[0]
                row[11] = (t.status or ("PASS" if ok else "FAIL")) + f" ({why})"
            rows.append(row)
        counts = {t.label: t.count() for t in c.tools if t.count() is not None}
        if c.same_search and len(set(counts.values())) > 1:
            notes.append(f"case {c.key}: result counts differ: "
                         + ", ".join(f"{k} {v}" for k, v in counts.items()))

    mem_rows = []
    for c in cases:
        t = c.tansa()
        if not t or t.peak_rss() is None:
            continue
        largest = c.tree["largest"]
        limit = 64 * MB + 3 * largest
        mem_rows.append([c.key, fmt(largest, "MB"), fmt(limit, "MB"), fmt(t.peak_rss(), "MB"),
                         "PASS" if t.peak_rss() <= limit else "FAIL"])

    def table(header, body):
        widths = [max(len(str(r[i])) for r in [header] + body) for i in range(len(header))]
        line = lambda r: "  ".join(str(v).ljust(widths[i]) for i, v in enumerate(r)).rstrip()
        return "\n".join([line(header), line(["-" * x for x in widths])] + [line(r) for r in body])

    text = []
    text.append("Cases:")
    for c in cases:
        text.append(f"  {c.key}: {c.title}")
        for t in c.tools:
            words = [os.path.basename(t.argv[0])] + [
                a.decode("cp932") + "(as Shift-JIS bytes)" if isinstance(a, bytes) else a for a in t.argv[1:]]
            env = " ".join(f"{k}={v}" for k, v in t.env.items())
            text.append(f"      {t.label}: {env} {' '.join(words)}")
    text.append("")
    text.append(table(head, rows))
    text.append("")
    text.append("6: peak memory of tansa2-grep (max over runs) against 64 MB + 3 x largest file searched")
    text.append(table(["case", "largest MB", "limit MB", "peak RSS MB", "result"], mem_rows))
    text.append("")
    text.extend(notes)
    text.append("ref = rg (in case 5: grep); count = output lines")
    text.append(f"page cache before measuring: {page_cache}")
    text.append(f"n = measured runs per tool after one warm-up (w: warm-up only); medians; "
                f"measuring took {elapsed:.0f} s")
    text.append(f"wall and CPU times are net of the cost of measuring itself: {cost[0] * 1000:.1f} ms wall, "
                f"{cost[1] * 1000:.1f} ms CPU (GNU time starting `true`)")
    out = "\n".join(text)
    print(out, flush=True)

    corpus_lines = []
    for name, m in ((big, man_big), (small, man_small), (empty, man_empty)):
        for tree, s in m["trees"].items():
            corpus_lines.append(f"- {name}/{tree}: {s['files']} files, {s['bytes'] / MB:.1f} MB, "
                                f"largest {s['largest'] / MB:.2f} MB")
    enc = ", ".join(f"{k} {v['files']}" for k, v in man_big["encodings"].items())
    try:
        rev = subprocess.run(["git", "-C", REPO, "rev-parse", "--short", "HEAD"], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL).stdout.decode().strip()
    except OSError:
        rev = ""
    versions = [
        f"- tansa2-grep: {version([tansa, '--version']) if have_tansa else 'not built'}"
        + (f" (repository at {rev}, binary of "
           f"{datetime.datetime.fromtimestamp(os.path.getmtime(tansa)):%Y-%m-%d %H:%M})" if have_tansa else ""),
        f"- {version(['rg', '--version'])}",
        f"- {version(['grep', '--version'])}",
        f"- {version(['ugrep', '--version'])}",
    ]
    md = ["# Benchmark results", "",
          f"Run on {datetime.datetime.now():%Y-%m-%d %H:%M} by bench/run_bench.py.", "",
          f"Machine: {machine()}.", "", "Tools:", *versions, "", "Corpora:", *corpus_lines,
          f"- encodings of the {big} mixed tree (files): {enc}", "", "```", out, "```", ""]
    with open(args.results, "w", encoding="utf-8") as f:
        f.write("\n".join(md))
    print(f"\nwritten to {os.path.relpath(args.results)}", file=sys.stderr)


if __name__ == "__main__":
    main()
