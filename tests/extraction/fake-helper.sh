#!/bin/sh
# Stands in for the download helper: logs its arguments one per line, writes a cookie file
# where "--cookies" says, waits as long as "delay" says and prints "answer.txt".
dir=$(dirname "$0")
: > "$dir/args.log"
previous=""
for argument in "$@"; do
  printf '%s\n' "$argument" >> "$dir/args.log"
  if [ "$previous" = "--cookies" ]; then
    printf '# Netscape HTTP Cookie File\nmedia.example\tFALSE\t/\tFALSE\t0\tvisitor\tv1\n' > "$argument"
  fi
  previous="$argument"
done
[ -f "$dir/delay" ] && sleep "$(cat "$dir/delay")"
cat "$dir/answer.txt"
