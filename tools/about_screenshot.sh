#!/usr/bin/env bash
# Opens the about box of the window under a virtual X server and writes its
# picture to docs/about.png (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tansa2_install_missing xvfb xauth
tansa2_build >&2
output=$(realpath -m "${1:-docs/about.png}")
mkdir -p "$(dirname "$output")"

# Settings of its own, never the user's.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
mkdir -p "$settings/allusers"

TANSA2_HOME="$settings" TANSA2_ABOUT_SCREENSHOT="$output" \
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" build/tansa2-harness
echo "written to $output"
