#!/usr/bin/env bash
# Starts the window on a small sample tree under a virtual X server, runs one
# search and writes the window's picture to docs/screenshot.png (or $1).
# TANSA2_DARK=1 starts it under a dark desktop theme (GTK's Adwaita dark,
# handed to Qt by its GTK platform theme), as docs/screenshot-dark.png shows.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tansa2_install_missing xvfb xauth
if [ -n "${TANSA2_DARK:-}" ]; then
  tansa2_install_missing qt6-gtk-platformtheme
  export QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
fi
tansa2_build >&2
output=$(realpath -m "${1:-docs/screenshot.png}")
mkdir -p "$(dirname "$output")"

# The sample lies in a home folder of its own, so the tree shows it under
# "ホーム" and nothing of the real home or /tmp.
sample="${TMPDIR:-/tmp}/tansa2-home"
rm -rf "$sample"
trap 'rm -rf "$sample"' EXIT
root="$sample/サンプル"
mkdir -p "$root/議事録" "$root/src" "$root/旅行"
sjis() { iconv -f UTF-8 -t CP932 >"$1"; }
sjis "$root/議事録/2024-04 定例会.txt" <<'TEXT'
日時: 2024年4月12日 10:00-11:30
場所: 東京本社 3階 会議室A
議題1: 新製品の発売日について
  東京と大阪で同時に発売する案が出された。
議題2: 検索ツールの導入
TEXT
sjis "$root/議事録/2024-05 定例会.txt" <<'TEXT'
日時: 2024年5月10日 10:00-11:00
場所: 大阪支社 会議室B
報告: 東京での展示会は来場者 1,200 名。
TEXT
iconv -f UTF-8 -t EUC-JP >"$root/旅行/行程表.txt" <<'TEXT'
1日目  東京駅 8:00 発 → 京都駅 10:15 着
2日目  京都から奈良へ
3日目  新大阪 17:30 発 → 東京 19:45 着
TEXT
cat >"$root/src/weather.c" <<'TEXT'
/* 天気予報を表示する */
#include <stdio.h>
int main(void) {
    puts("東京の天気: 晴れ");   /* UTF-8 のソース */
    return 0;
}
TEXT
printf 'README for the sample tree\nnothing to find here\n' >"$root/README.txt"

# Settings of its own, never the user's: the directory panel wide enough
# for the tree to show the search directory's name beside its folders.
settings=$(mktemp -d)
trap 'rm -rf "$sample" "$settings"' EXIT
mkdir -p "$settings/allusers"
printf '[DirPanel]\r\nWidth=200\r\n' >"$settings/allusers/tansa2.ini"

# Sub-directories and character-code detection ticked.
HOME="$sample" TANSA2_HOME="$settings" TANSA2_AUTORUN=BA TANSA2_SCREENSHOT="$output" \
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" build/tansa2-harness "$root" "東京" "*.txt,*.c"
echo "written to $output"
