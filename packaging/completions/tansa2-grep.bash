# bash completion for tansa2-grep
_tansa2_grep() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    -E|--encoding) COMPREPLY=($(compgen -W "sjis euc-jp jis utf-8 utf-16le utf-16be" -- "$cur")); return ;;
    --output-encoding) COMPREPLY=($(compgen -W "utf-8 sjis" -- "$cur")); return ;;
    --color|--colour) COMPREPLY=($(compgen -W "auto always never" -- "$cur")); return ;;
    --format) COMPREPLY=($(compgen -W "tag csv line" -- "$cur")); return ;;
    -e|--regexp|-A|-B|-C|-g|--glob|--dir-mask|--max-depth|--max-filesize|--exclude-ext) return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "-e --regexp -F --fixed-strings -w --word-regexp -v --invert-match
      -i --ignore-case -S --smart-case -s --case-sensitive --raw -E --encoding --output-encoding
      -n --line-number -N --no-line-number -H --with-filename -I --no-filename --heading --no-heading
      -o --only-matching -A -B -C -c --count -l --files-with-matches --files-without-match -q --quiet
      --vimgrep --json --format -g --glob --dir-mask --max-depth --max-filesize --exclude-ext
      --hidden -L --follow --color --summary -h --help -V --version" -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _tansa2_grep tansa2-grep
