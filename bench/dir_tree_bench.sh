#!/usr/bin/env bash
# Times the directory tree (offscreen) on a folder of 10,000 sub-folders and
# on a start with a 30-level path selected; exits 1 when a target is missed.
# The argument is the number of rounds (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tansa2_install_missing
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target dir_tree_bench >&2
exec build/tests/dir_tree_bench "$@"
