#!/bin/sh
# Stands in for the download helper: logs its arguments one per line, writes a cookie file
# where "--cookies" says, waits as long as "delay" says (when not empty) and prints "answer.txt" on standard
# output; "stderr.txt", when not empty, goes to standard error after it, followed by
# "answer-tail.txt" on standard output again.
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
if [ -s "$dir/delay" ]; then
  # Ending the helper ends its wait too.
  trap 'kill $! 2>/dev/null; exit 143' TERM
  sleep "$(cat "$dir/delay")" &
  wait $!
fi
cat "$dir/answer.txt"
if [ -s "$dir/stderr.txt" ]; then
  cat "$dir/stderr.txt" >&2
  cat "$dir/answer-tail.txt"
fi
