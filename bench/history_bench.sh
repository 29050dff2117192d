#!/usr/bin/env bash
# Builds bench/history_bench.cpp against the libraries of a build folder and
# runs it: loading a result-history entry of 100,000 rows (target < 1 s).
#   bench/history_bench.sh [BUILD-DIR] [ROWS] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tansa2_session >/dev/null
libs=()
for lib in session settings engine results platform; do libs+=("$build/libtansa2_$lib.a"); done
c++ -std=c++20 -O2 -I. bench/history_bench.cpp "${libs[@]}" -lpthread -o "$build/history_bench"
"$build/history_bench" "${2:-100000}" "${3:-5}"
