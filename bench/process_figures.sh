# Figures of a running process, read from /proc, and the slot-delay run
# shared by the benchmarks that watch a program from outside. Sourced.

# CPU time of every thread of the process so far, in nanoseconds (0 when
# it is gone).
cpu_ns() { { cat /proc/"$1"/task/*/schedstat 2>/dev/null || true; } | awk '{s+=$1} END {printf "%.0f\n", s}'; }

# Its anonymous memory, in kB.
anon_kb() { awk '$1 == "Anonymous:" {s += $2} END {print s + 0}' /proc/"$1"/smaps_rollup; }

# Its anonymous kB by mapping (a file's written pages, or [anon]), a line
# "NAME KB" each, for where one program's extra memory lies.
anon_by_mapping() {
  awk '$1 ~ /-/ && NF >= 5 {name = (NF >= 6 ? $6 : "[anon]")}
       $1 == "Anonymous:" {kb[name] += $2}
       END {for (n in kb) print n, kb[n]}' /proc/"$1"/smaps
}

# The process whose first argument (its program, as it was started; under
# Wine its Windows path) contains NAME, case ignored.
process_of() {
  local name=$1 p
  for p in /proc/[0-9]*; do
    if tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1 | grep -qiF "$name"; then
      basename "$p"
      return
    fi
  done
}

# slot_delays SLOTS STATEMENT_LOG SAVE_SETTINGS INDENT LABEL: SLOTS slots,
# each a few seconds ahead, saved with the command SAVE_SETTINGS "hh:mm:ss"
# as the window saves them; prints, after INDENT, LABEL with the slots'
# count, then the median, best and worst delay from each slot's second to
# its first BACKUP statement in the stand-in's STATEMENT_LOG. Fails when no
# slot reached the server.
slot_delays() {
  local slots=$1 statements=$2 save=$3 indent=$4 label=$5
  local delays=() missed=0 slot_epoch seen first delay
  for _ in $(seq "$slots"); do
    slot_epoch=$(( $(date +%s) + 3 ))
    "$save" "$(date -d "@$slot_epoch" +%H:%M:%S)"
    seen=$(wc -l <"$statements" 2>/dev/null || echo 0)
    sleep 4.5
    first=$(tail -n +"$((seen + 1))" "$statements" | grep -m1 '"text":"backup database' |
      sed -n 's/.*"time":"\([^"]*\)".*/\1/p')
    if [ -z "$first" ]; then
      missed=$((missed + 1))
      continue
    fi
    delay=$(( $(date -d "$first" +%s%3N) - slot_epoch * 1000 ))
    [ "$delay" -lt 1000 ] || missed=$((missed + 1))
    delays+=("$delay")
  done
  if [ "${#delays[@]}" -eq 0 ]; then
    echo "no slot reached the server" >&2
    return 1
  fi
  printf '%s\n' "${delays[@]}" | sort -n | awk -v n="$slots" -v m="$missed" -v indent="$indent" -v label="$label" '
    {d[NR] = $1}
    END {
      printf "%s%s %d slots\n", indent, label, n
      printf "%s  median %d ms, best %d ms, worst %d ms; slots without a statement in their second: %d (target 50 ms)\n",
        indent, d[int((NR + 1) / 2)], d[1], d[NR], m
    }'
}
