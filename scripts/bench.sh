#!/usr/bin/env bash
# Builds Ondrel and runs its benchmarks against the SQL Server stand-in,
# printing the figures. Timings on a shared machine are reported, never
# asserted.
#   scripts/bench.sh [SOAK_SECONDS]   (default 600: ten minutes of the footprint soak)
#   scripts/bench.sh --smoke          every benchmark at its smallest, in about a minute and a half
# Either way the script fails when a benchmark does not run to its end or
# leaves out one of its figures (the table below), so that CI's smoke run
# notices a benchmark that no longer runs.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=false
soak=600
case "${1:-}" in
  --smoke) smoke=true ;;
  "") ;;
  *[!0-9]*) echo "usage: scripts/bench.sh [SOAK_SECONDS | --smoke]" >&2; exit 2 ;;
  *) soak=$1 ;;
esac

# The figures each benchmark prints: a line beginning (after its indent) with
# the label, then text matching the pattern (extended regular expression),
# at least as many times as given. A broken figure ("nan", nothing) fails too.
figures() {
  cat <<'EOF'
schedule|1|Slot second to first BACKUP statement at the server,| [0-9]+ slots
schedule|1|median| [0-9]+ ms, best [0-9]+ ms, worst [0-9]+ ms; slots without a statement in their second: [0-9]+$
schedule|1|of which the tick's own lateness: median| [0-9]+ ms, worst [0-9]+ ms
schedule|2|Run into an empty folder against the minimal backup loop|
schedule|2|Run replacing the old files (each moved to the trash first) against the minimal backup loop|
schedule|2|Existence check (bd), one connection against the minimal query loop|
schedule|2|Existence check (bd) against the minimal backup loop|
schedule|8|wall| +[0-9.]+ ms vs +[0-9.]+ ms per database: ratio median [0-9.]+ \(rounds [0-9.]+ \.\. [0-9.]+\)$
schedule|8|client CPU| +[0-9.]+ ms vs +[0-9.]+ ms per database: ratio median [0-9.]+ \(rounds [0-9.]+ \.\. [0-9.]+\)$
schedule|1|Replacing runs as the trash fills,| [0-9]+ databases of [^ ]+, [0-9]+ runs: Ondrel's items in the trash before the first run [0-9]+, before the last [0-9]+, after it [0-9]+$
schedule|1|Last run (run| [0-9]+\) against the first, per database:$
schedule|1|Median of the last| [0-9]+ runs against the first [0-9]+, per database:$
schedule|1|The same, each run's cost divided by the minimal backup loop's beside it:|$
schedule|2|wall| +[0-9.]+ ms vs +[0-9.]+ ms: ratio [0-9.]+$
schedule|2|client CPU| +[0-9.]+ ms vs +[0-9.]+ ms: ratio [0-9.]+$
schedule|1|wall| +[0-9.]+ vs +[0-9.]+: ratio [0-9.]+$
schedule|1|client CPU| +[0-9.]+ vs +[0-9.]+: ratio [0-9.]+$
footprint|1|start to window shown:| Ondrel median [0-9.]+ ms, baseline median [0-9.]+ ms
footprint|1|CPU time over| [0-9]+ s: Ondrel [0-9.]+ ms, baseline [0-9.]+ ms, ratio [0-9.]+
footprint|1|peak resident memory (VmHWM):| Ondrel [0-9.]+ MB, baseline [0-9.]+ MB, ratio [0-9.]+
footprint|1|of which private anonymous memory now:| Ondrel [0-9.]+ MB, baseline [0-9.]+ MB, ratio [0-9.]+
footprint|1|Ondrel's largest additions| [(]resident kB
footprint|1|file-system calls:| [0-9]+; socket/connect calls: [0-9]+$
footprint|1|every call seen:| [^ ]
footprint|1|open sockets:| [^ ].*; logins at the server since the start: -?[0-9]+$
footprint|1|resident memory over| [0-9]+ s of running schedule, every [0-9]+ s: Ondrel [0-9]+ -> [0-9]+ kB .*; baseline [0-9]+ -> [0-9]+ kB$
footprint|1|logins at the server during the soak:| -?[0-9]+$
service|1|Service CPU time over| [0-9]+ s idle: Ondrel [0-9.]+ ms, baseline [0-9.]+ ms, ratio [0-9.]+
service|1|Service private anonymous memory:| Ondrel [0-9.]+ MB, baseline [0-9.]+ MB, ratio [0-9.]+
service|1|Service slot second to first BACKUP statement at the server:| [0-9]+ slots
service|1|median| -?[0-9]+ ms, best -?[0-9]+ ms, worst -?[0-9]+ ms; slots without a statement in their second: [0-9]+ [(]target
windows|1|Slot second to first BACKUP statement at the server, under Wine:| [0-9]+ slots
windows|1|median| [0-9]+ ms, best [0-9]+ ms, worst [0-9]+ ms; slots without a statement in their second: [0-9]+ [(]target
windows|1|CPU time over| [0-9]+ s: Ondrel [0-9.]+ ms, baseline [0-9.]+ ms, ratio [0-9.]+
windows|1|private memory (resident, smaps Private_Clean + Private_Dirty):| Ondrel [0-9.]+ MB, baseline [0-9.]+ MB, ratio [0-9.]+
windows|1|size of ondrel.exe:| [0-9]+ kB; of the zip: [0-9]+ kB
windows-service|1|Service CPU time over| [0-9]+ s idle: Ondrel [0-9.]+ ms, baseline [0-9.]+ ms, ratio [0-9.]+
windows-service|1|Service anonymous memory:| Ondrel [0-9.]+ MB, baseline [0-9.]+ MB, ratio [0-9.]+
windows-service|1|against the bare process importing the system DLLs ondrel.exe imports:| baseline [0-9.]+ MB, ratio [0-9.]+$
windows-service|1|Service slot second to first BACKUP statement at the server, under Wine:| [0-9]+ slots
windows-service|1|median| -?[0-9]+ ms, best -?[0-9]+ ms, worst -?[0-9]+ ms; slots without a statement in their second: [0-9]+ [(]target
windows-replace|1|Windows replacing run under Wine, per database| [(][0-9]+ databases of [0-9]+KB, median of [0-9]+ rounds?[)]: [0-9.]+x wall, [0-9.]+x CPU$
windows-replace|1|Replacing run (each old NAME.bak set aside, then binned through SHFileOperationW) against the minimal loop:|
windows-replace|1|Run into an empty folder against the minimal loop:|
windows-replace|2|wall| +[0-9.]+ ms vs +[0-9.]+ ms per database: ratio median [0-9.]+ \(rounds [0-9.]+ \.\. [0-9.]+\)$
windows-replace|2|client CPU| +[0-9.]+ ms vs +[0-9.]+ ms per database: ratio median [0-9.]+ \(rounds [0-9.]+ \.\. [0-9.]+\)$
windows-replace|2|client and wineserver CPU| +[0-9.]+ ms vs +[0-9.]+ ms per database: ratio median [0-9.]+ \(rounds [0-9.]+ \.\. [0-9.]+\)$
EOF
}

scripts/install-deps.sh
# What the footprint benchmark drives and watches the program with.
. scripts/packages.sh
install_missing xdotool strace iproute2

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target ondrel sqlstandin schedule_benchmark bare_window window_clock \
  ondrel-service bare_ticker
# The Windows edition and its side of the Wine benchmark (a first build
# of build-windows/ builds all of it, tests included).
if [ -f build-windows/CMakeCache.txt ]; then
  cmake --build build-windows -j"$(nproc)" --target ondrel bare_window wine_bench replace_bench wine_road_keeper dist_zip wineprefix bare_ticker bare_ticker_imports
else
  scripts/build-windows.sh
fi

out=$(mktemp -d "${TMPDIR:-/tmp}/ondrel-bench-XXXXXX")
trap 'rm -rf "$out"' EXIT
problems=()

# run NAME COMMAND...: one benchmark, its output shown and kept for the
# figure check; in a smoke run, bounded so that a hang fails rather than waits.
run() {
  local name=$1 status=0
  shift
  if $smoke; then
    timeout -k 10 300 "$@" | tee "$out/$name" || status=$?
  else
    "$@" | tee "$out/$name" || status=$?
  fi
  if [ "$status" -eq 124 ]; then
    problems+=("$name: did not finish within 300 s")
  elif [ "$status" -ne 0 ]; then
    problems+=("$name: ended with status $status before its end")
  fi
}

if $smoke; then
  schedule_sizes=(--slots 1 --databases 2 --rounds 1 --scale-databases 3 --scale-rounds 1 --trash-databases 2 --trash-runs 3)
  export FOOTPRINT_LAUNCHES=1 FOOTPRINT_CPU_SECONDS=1 FOOTPRINT_TRACE_SECONDS=2
  soak=1
  service_sizes=(1 1)   # seconds idle, slots
  wine_sizes=(2 1)   # seconds idle, slots
  wine_service_sizes=(2 1)   # seconds idle, slots
  replace_sizes=(5 1)   # databases, rounds
else
  schedule_sizes=()
  service_sizes=(60 10)
  wine_sizes=(60 15)
  wine_service_sizes=(60 10)
  replace_sizes=(1000 5)
fi

started=$SECONDS
echo "== Load while benchmarking: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "== Schedule"
run schedule build/schedule_benchmark "${schedule_sizes[@]}"
echo
echo "== Footprint"
run footprint bench/footprint.sh build "$soak"
echo
echo "== The background service"
run service bench/service_footprint.sh build "${service_sizes[@]}"
echo
echo "== The Windows edition under Wine"
run windows bench/wine_bench.sh build-windows build/sqlstandin "${wine_sizes[@]}"
echo
echo "== The Windows edition's background service under Wine"
run windows-service bench/wine_service_bench.sh build-windows build/sqlstandin "${wine_service_sizes[@]}"
echo
echo "== The Windows edition's replacing run under Wine"
run windows-replace bench/wine_replace_bench.sh build-windows build/sqlstandin "${replace_sizes[@]}"
echo "== Load afterwards: $(cut -d' ' -f1-3 /proc/loadavg)"

# Every figure of every benchmark, by its label.
checked=0
while IFS='|' read -r name times label pattern; do
  checked=$((checked + 1))
  found=$(label=$label pattern=$pattern awk '
    {
      sub(/^ +/, "")
      if (index($0, ENVIRON["label"]) == 1 && substr($0, length(ENVIRON["label"]) + 1) ~ ("^" ENVIRON["pattern"]))
        n++
    }
    END {print n + 0}' "$out/$name" 2>/dev/null || echo 0)
  if [ "$found" -lt "$times" ]; then
    problems+=("$name: figure \"$label\" printed $found of $times times${pattern:+ (as a line like: $label$pattern)}")
  fi
done < <(figures)

if [ ${#problems[@]} -gt 0 ]; then
  echo "== Benchmarks FAILED:" >&2
  printf '  %s\n' "${problems[@]}" >&2
  exit 1
fi
echo "== Every benchmark ran to its end and printed every figure ($checked labels checked; $((SECONDS - started)) s)"
