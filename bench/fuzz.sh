#!/usr/bin/env bash
# bench/fuzz.sh SECONDS: installs clang and libFuzzer when missing, builds the
# fuzz targets into build-fuzz/ and runs each for SECONDS, starting from the
# seeds in tests/data/fuzz/<target>/. New inputs go to build-fuzz/corpus/,
# crashers to build-fuzz/findings/. Fails when any target finds something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: bench/fuzz.sh SECONDS}
source tools/deps.sh
tansa2_install_missing clang libclang-rt-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTANSA2_FUZZ=ON -DTANSA2_GUI=OFF -DBUILD_TESTING=OFF >/dev/null
targets=()
for source in fuzz/*Fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build build-fuzz --parallel --target "${targets[@]}"

failed=()
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target findings=build-fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  echo "== $target: $seconds s"
  if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$corpus" "tests/data/fuzz/$target" 2>build-fuzz/"$target".log; then
    failed+=("$target")
    tail -n 40 build-fuzz/"$target".log
  else
    grep -E '^stat::(number_of_executed_units|new_units_added)' build-fuzz/"$target".log || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs under build-fuzz/findings/)"
  exit 1
fi
echo "No findings."
