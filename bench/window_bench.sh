#!/usr/bin/env bash
# Times the window's search against tansa2-grep's for the same searches on the
# benchmark corpus (bench/run_bench.sh builds it). The window (in the test
# harness, tools/harness) runs offscreen,
# searches once the window has been painted and prints its own time
# (TANSA2_AUTORUN), so its start-up is not counted; tansa2-grep's time is its whole run. Target: window <= 1.3 x,
# and <= 1.2 x for the dense search (one character, more than 300,000 rows).
# For the dense search also: the time from the start of the search to the end
# of the first paint of the result list that shows rows (for information: the
# list holds its paint while a search runs and shows the rows at its end),
# and the window process's peak resident memory, start to exit, against
# 64 MiB + twice the size of its rows saved comma-separated by the window.
# Then the window's responsiveness during a search of the whole corpus: the
# longest time between two turns of its event loop (target < 100 ms) and the
# time from a cancel to the end of the run (target < 100 ms), also when the
# cancel comes while the largest files are being converted whole.
#   bench/window_bench.sh [CORPUS-DIR] [RUNS]
# TANSA2_BUILD names the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${1:-}
runs=${2:-5}
if [ -z "$corpus" ]; then
  for size in 500mb 50mb; do
    [ -d "bench/corpus/$size/mixed" ] && { corpus="bench/corpus/$size/mixed"; break; }
  done
fi
[ -n "$corpus" ] && [ -d "$corpus" ] || { echo "no corpus: run bench/run_bench.sh first" >&2; exit 2; }
corpus=$(cd "$corpus" && pwd)
build=${TANSA2_BUILD:-build}
for program in "$build/tansa2-harness" "$build/tansa2-grep"; do
  [ -x "$program" ] || { echo "$program is not built" >&2; exit 2; }
done
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# The window's settings and result history go to a folder of their own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TANSA2_HOME="$scratch/home"
mkdir "$TANSA2_HOME"

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# name, the window's boxes (TANSA2_AUTORUN letters), tansa2-grep options,
# search string, largest ratio
cases=(
  "plain|BNA|-i -F|日本|1.3"
  "regexp|BA|-i|東.{0,3}[都府県]|1.3"
  "raw|BN|--raw -i -F|file|1.3"
  "dense|BNA|-i -F|の|1.2"
)
printf '%-8s %10s %12s %8s %8s %s\n' case window_ms tansa2-grep_ms ratio hits result
status=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name boxes options text limit <<<"$entry"
  window=() cli=() painted=() peak=() hits=0
  "$build/tansa2-grep" $options "$text" "$corpus" >/dev/null || true  # warm the caches
  for ((i = 0; i < runs; i++)); do
    line=$(TANSA2_AUTORUN=$boxes /usr/bin/time -f %M -o "$scratch/rss" "$build/tansa2-harness" "$corpus" "$text" '*.*' 2>/dev/null)
    read -r hits _ ms _ <<<"$line"
    window+=("$ms")
    painted+=("$(sed -n 's/.*first rows \(-*[0-9]*\) ms.*/\1/p' <<<"$line")")
    peak+=("$(cat "$scratch/rss")")
    start=$(now_ms)
    "$build/tansa2-grep" $options "$text" "$corpus" >/dev/null || true
    cli+=($(( $(now_ms) - start )))
  done
  w=$(printf '%s\n' "${window[@]}" | median)
  c=$(printf '%s\n' "${cli[@]}" | median)
  ratio=$(awk -v w="$w" -v c="$c" 'BEGIN { printf "%.2f", (c > 0) ? w / c : 0 }')
  verdict=$(awk -v r="$ratio" -v l="$limit" 'BEGIN { print (r <= l) ? "ok" : "SLOW" }')
  [ "$verdict" = ok ] || status=1
  printf '%-8s %10s %12s %8s %8s %s\n' "$name" "$w" "$c" "$ratio" "$hits" "$verdict"
  [ "$name" = plain ] && plain_ms=$w
  if [ "$name" = dense ]; then
    dense_painted=$(printf '%s\n' "${painted[@]}" | median)
    dense_peak_kb=$(printf '%s\n' "${peak[@]}" | sort -n | tail -1)
    TANSA2_AUTORUN=$boxes TANSA2_AUTORUN_CSV="$scratch/rows.csv" "$build/tansa2-harness" "$corpus" "$text" '*.*' >/dev/null 2>&1
    dense_csv_kb=$(( $(stat -c %s "$scratch/rows.csv") / 1024 ))
    rm -f "$scratch/rows.csv"
  fi
done

line=$(TANSA2_AUTORUN=BNA "$build/tansa2-harness" "$corpus" 日本 '*.*' 2>/dev/null)
gap=$(sed -n 's/.*longest gap \([0-9]*\) ms.*/\1/p' <<<"$line")
# The cancel comes half-way through the plain search, whatever its length.
line=$(TANSA2_AUTORUN=BNA TANSA2_AUTORUN_CANCEL_MS=$(( plain_ms / 2 )) "$build/tansa2-harness" "$corpus" 日本 '*.*' 2>/dev/null)
cancel=$(sed -n 's/.*cancel to end \([0-9]*\) ms.*/\1/p' <<<"$line")
# The largest files, one of each code, searched for every line: each is
# converted whole, and the cancel comes while they are.
large="$scratch/large"
mkdir "$large"
find "$corpus" -type f -size +1M -printf '%s %p\n' | sort -rn | head -8 |
  while read -r _ path; do ln -s "$path" "$large/$(basename "$path")"; done
line=$(TANSA2_AUTORUN=A TANSA2_AUTORUN_CANCEL_MS=10 "$build/tansa2-harness" "$large" . '*.*' 2>/dev/null)
cancel_large=$(sed -n 's/.*cancel to end \([0-9]*\) ms.*/\1/p' <<<"$line")
echo
verdict() { [ "${1:-999}" -lt "$2" ] && echo ok || echo SLOW; }
printf 'longest gap between event-loop turns: %s ms (< 100: %s)\n' "$gap" "$(verdict "$gap" 100)"
printf 'cancel to the end of the run:         %s ms (< 100: %s)\n' "$cancel" "$(verdict "$cancel" 100)"
printf 'the same, in the largest files:       %s ms (< 100: %s)\n' "$cancel_large" "$(verdict "$cancel_large" 100)"
for ms in "$gap" "$cancel" "$cancel_large"; do [ "${ms:-999}" -lt 100 ] || status=1; done
echo
budget_kb=$(( 64 * 1024 + 2 * dense_csv_kb ))
printf 'dense: first rows painted after:      %s ms (the list shows its rows when the search ends)\n' \
  "$dense_painted"
printf 'dense: peak memory:                   %s KB (<= %s KB, 64 MiB + 2 x %s KB of rows: %s)\n' \
  "$dense_peak_kb" "$budget_kb" "$dense_csv_kb" "$( [ "$dense_peak_kb" -le "$budget_kb" ] && echo ok || echo OVER)"
[ "$dense_peak_kb" -le "$budget_kb" ] || status=1
exit $status
