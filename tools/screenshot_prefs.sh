#!/usr/bin/env bash
# Opens the preferences of the window under a virtual X server and writes
# a picture of each of its three pages to docs/preferences-1.png, -2 and -3
# (or into the folder $1).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tansa2_install_missing xvfb xauth
tansa2_build >&2
output=$(realpath -m "${1:-docs}")
mkdir -p "$output"

# Settings of its own, never the user's: an editor, its parameters and a
# start folder, so that no field is shown empty.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
mkdir -p "$settings/allusers"
printf '[Editor]\r\nExeName=/usr/bin/gedit\r\nCmdLine=+%%L %%F\r\n[DirPanel]\r\nInitialDir=/usr/share\r\n[Grep]\r\nString=%s\r\nNoFileExt=exe,dll,obj\r\n' \
  "$(printf '東京,大阪,"会議 議事録",weather' | iconv -f UTF-8 -t CP932)" >"$settings/allusers/tansa2.ini"

TANSA2_HOME="$settings" TANSA2_PREFS_SCREENSHOT="$output" \
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" build/tansa2-harness
echo "written to $output/preferences-1.png, -2.png, -3.png"
