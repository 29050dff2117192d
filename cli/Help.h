#pragma once
// The short help; the whole story is the manual page.

namespace tansa2::cli {

inline constexpr char kShortHelp[] =
    "Usage: tansa2-grep [OPTIONS] PATTERN [PATH...]\n"
    "       tansa2-grep [OPTIONS] -e PATTERN... [PATH...]\n"
    "Searches files and directories (standard input when piped, else the working\n"
    "directory) for lines matching PATTERN; every file's code is detected.\n"
    "\n"
    "  -e PATTERN      a pattern, repeatable: any of them matches\n"
    "  -F, -w, -v      plain text, whole words, lines that don't match\n"
    "  -i, -S          ignore case; ignore it unless PATTERN has an upper-case letter\n"
    "  --raw           read bytes as they are; -E ENC reads every file in ENC\n"
    "                  (sjis, euc-jp, jis, utf-8, utf-16le, utf-16be)\n"
    "  --output-encoding=sjis   print Shift-JIS instead of UTF-8\n"
    "  -n, -N, -H, -I  line numbers on/off, file names on/off (-I: --no-filename)\n"
    "  --heading       file name above its lines; -o the matches only\n"
    "  -A/-B/-C NUM    lines of context after, before, around\n"
    "  -c, -l, --files-without-match, -q   counts, names, quiet\n"
    "  --vimgrep, --json, --format=tag|csv|line   other shapes\n"
    "  -g GLOB         only files whose names match (!GLOB: not), repeatable\n"
    "  --dir-mask=MASK, --max-depth=N, --max-filesize=SIZE (10M), --exclude-ext=LIST\n"
    "  --hidden, -L    hidden files too; follow links\n"
    "  --color=WHEN, --summary, --version, --help\n"
    "\n"
    "Exit status: 0 a line matched, 1 none did, 2 an error. See tansa2-grep(1).\n";

}  // namespace tansa2::cli
