#!/usr/bin/env bash
# Whole-program figures of the race-day data path on a full day (36 races of
# 18 runners, generated):
#  - time of `velmar-cli races` (load the four day files, build every race's
#    texts, print the list) against `iconv -f CP932 -t UTF-8` over the same
#    four files, the floor of any program that decodes them (target: races
#    within 1.5 times iconv);
#  - peak memory of `velmar-cli races` (target: below 20 MB), with iconv's
#    beside it;
#  - the Google Benchmark figures of loading and importing the day.
# Times are compared within one run on the same machine and reported as
# ratios to the baseline.
#
#   bench/measure_data.sh [BUILD_DIR]     (default: build, made by `cmake --preset dev`)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
bin="$build/bin"
for prog in "$bin/velmar-cli" "$bin/velmar-gen"; do
  [ -x "$prog" ] || { echo "missing $prog: build velmar-cli and velmar-gen first" >&2; exit 1; }
done
for tool in hyperfine iconv /usr/bin/time awk; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$bin/velmar-gen" --out "$work/archives" --date 20261213 --races 36 --runners 18 --archive >/dev/null
mkdir -p "$work/home"
"$bin/velmar-cli" import "$work/archives/hz261213.lzh" --home "$work/home" >/dev/null
files=""
for f in cnx_den1.vd2 cnx_den2.vd2 cnx_uma.vd2 cnx_ods.vd2; do
  [ -f "$work/home/$f" ] || { echo "import did not produce $f" >&2; exit 1; }
  files="$files $work/home/$f"
done
echo "day: $(wc -l <"$work/home/cnx_den1.vd2") races, $(wc -l <"$work/home/cnx_den2.vd2") runners," \
     "$(cat $files | wc -c) bytes in the four files"

# Time: the commands in one hyperfine run, no shell in between. The start-up
# of velmar-cli alone (--help: load the program and its libraries, parse the
# command line) shows how much of the races time is the process itself.
hyperfine -N --warmup 10 --min-runs 60 --export-csv "$work/time.csv" \
  -n "velmar-cli races" "$bin/velmar-cli races --home $work/home" \
  -n "iconv" "iconv -f CP932 -t UTF-8$files" \
  -n "velmar-cli start-up" "$bin/velmar-cli --help"

# Peak memory (maximum resident set size), best of five runs each.
peak() {
  local best=0 kb
  for _ in 1 2 3 4 5; do
    /usr/bin/time -v "$@" >/dev/null 2>"$work/time.txt"
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    if [ "$best" -eq 0 ] || [ "$kb" -lt "$best" ]; then best=$kb; fi
  done
  echo "$best"
}
races_kb=$(peak "$bin/velmar-cli" races --home "$work/home")
# shellcheck disable=SC2086
iconv_kb=$(peak iconv -f CP932 -t UTF-8 $files)

awk -F, -v rkb="$races_kb" -v ikb="$iconv_kb" '
  NR > 1 { gsub(/"/, "", $1); mean[$1] = $2; sd[$1] = $3 }
  END {
    r = mean["velmar-cli races"]; i = mean["iconv"]
    printf "\n== summary (same run, same machine) ==\n"
    printf "velmar-cli races  %8.2f ms +- %.2f\n", r * 1000, sd["velmar-cli races"] * 1000
    printf "iconv (baseline)  %8.2f ms +- %.2f\n", i * 1000, sd["iconv"] * 1000
    s = mean["velmar-cli start-up"]
    printf "velmar-cli --help %8.2f ms +- %.2f  (start-up alone)\n", s * 1000, sd["velmar-cli start-up"] * 1000
    printf "time ratio races/iconv: %.2f  (target <= 1.5) %s\n", r / i, (r / i <= 1.5 ? "OK" : "OVER")
    printf "start-up/iconv: %.2f, races beyond start-up/iconv: %.2f\n", s / i, (r - s) / i
    printf "peak memory races: %.1f MB, iconv: %.1f MB, ratio %.2f  (target races < 20 MB) %s\n",
           rkb / 1024, ikb / 1024, rkb / ikb, (rkb / 1024 < 20 ? "OK" : "OVER")
  }' "$work/time.csv"

if [ -x "$bin/bench_data" ]; then
  echo
  "$bin/bench_data" --benchmark_min_time=0.5
fi
