#!/usr/bin/env bash
# Installs what the benchmark needs, builds tansa2-grep and the corpora (both only when missing or
# out of date), then runs the comparisons. Arguments go to run_bench.py (see its --help).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tansa2_install_missing ripgrep ugrep grep time python3 mecab-ipadic skkdic manpages-ja \
  debian-reference-ja debian-faq-ja maint-guide-ja
tansa2_build >&2 || echo "build failed: benchmarking the binary already in build/" >&2
python3 bench/make_corpus.py --size 500 --size 50 --empty 100000
exec python3 bench/run_bench.py "$@"
