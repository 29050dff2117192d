#!/usr/bin/env bash
# Times the window's search against tansa2-grep's for the same searches on the
# benchmark corpus (bench/run_bench.sh builds it). The window runs offscreen,
# searches once and prints its own time (TANSA2_AUTORUN), so its start-up is
# not counted; tansa2-grep's time is its whole run. Target: window <= 1.3 x.
# Then the window's responsiveness during a search of the whole corpus: the
# longest time between two turns of its event loop (target < 100 ms) and the
# time from a cancel to the end of the run (target < 100 ms), also when the
# cancel comes while the largest files are being converted whole.
#   bench/window_bench.sh [CORPUS-DIR] [RUNS]
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
for program in build/tansa2 build/tansa2-grep; do
  [ -x "$program" ] || { echo "$program is not built" >&2; exit 2; }
done
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# name, the window's boxes (TANSA2_AUTORUN letters), tansa2-grep options, search string
cases=(
  "plain|BNA|-r -a -F|日本"
  "regexp|BA|-r -a|東.{0,3}[都府県]"
  "raw|BN|-r -F|file"
)
printf '%-8s %10s %12s %8s %8s %s\n' case window_ms tansa2-grep_ms ratio hits result
status=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name boxes options text <<<"$entry"
  window=() cli=() hits=0
  build/tansa2-grep $options "$text" "$corpus" >/dev/null || true  # warm the caches
  for ((i = 0; i < runs; i++)); do
    read -r hits _ ms _ < <(TANSA2_AUTORUN=$boxes build/tansa2 "$corpus" "$text" '*.*' 2>/dev/null)
    window+=("$ms")
    start=$(now_ms)
    build/tansa2-grep $options "$text" "$corpus" >/dev/null || true
    cli+=($(( $(now_ms) - start )))
  done
  w=$(printf '%s\n' "${window[@]}" | median)
  c=$(printf '%s\n' "${cli[@]}" | median)
  ratio=$(awk -v w="$w" -v c="$c" 'BEGIN { printf "%.2f", (c > 0) ? w / c : 0 }')
  verdict=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.3) ? "ok" : "SLOW" }')
  [ "$verdict" = ok ] || status=1
  printf '%-8s %10s %12s %8s %8s %s\n' "$name" "$w" "$c" "$ratio" "$hits" "$verdict"
  [ "$name" = plain ] && plain_ms=$w
done

line=$(TANSA2_AUTORUN=BNA build/tansa2 "$corpus" 日本 '*.*' 2>/dev/null)
gap=$(sed -n 's/.*longest gap \([0-9]*\) ms.*/\1/p' <<<"$line")
# The cancel comes half-way through the plain search, whatever its length.
line=$(TANSA2_AUTORUN=BNA TANSA2_AUTORUN_CANCEL_MS=$(( plain_ms / 2 )) build/tansa2 "$corpus" 日本 '*.*' 2>/dev/null)
cancel=$(sed -n 's/.*cancel to end \([0-9]*\) ms.*/\1/p' <<<"$line")
# The largest files, one of each code, searched for every line: each is
# converted whole, and the cancel comes while they are.
large=$(mktemp -d)
trap 'rm -rf "$large"' EXIT
find "$corpus" -type f -size +1M -printf '%s %p\n' | sort -rn | head -8 |
  while read -r _ path; do ln -s "$path" "$large/$(basename "$path")"; done
line=$(TANSA2_AUTORUN=A TANSA2_AUTORUN_CANCEL_MS=10 build/tansa2 "$large" . '*.*' 2>/dev/null)
cancel_large=$(sed -n 's/.*cancel to end \([0-9]*\) ms.*/\1/p' <<<"$line")
echo
verdict() { [ "${1:-999}" -lt "$2" ] && echo ok || echo SLOW; }
printf 'longest gap between event-loop turns: %s ms (< 100: %s)\n' "$gap" "$(verdict "$gap" 100)"
printf 'cancel to the end of the run:         %s ms (< 100: %s)\n' "$cancel" "$(verdict "$cancel" 100)"
printf 'the same, in the largest files:       %s ms (< 100: %s)\n' "$cancel_large" "$(verdict "$cancel_large" 100)"
for ms in "$gap" "$cancel" "$cancel_large"; do [ "${ms:-999}" -lt 100 ] || status=1; done
exit $status
