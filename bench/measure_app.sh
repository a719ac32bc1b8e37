#!/usr/bin/env bash
# Start-up of the desktop program, measured with hyperfine on Qt's offscreen
# platform: from process start to the first race of the sample day shown (the
# day loaded, race 0 predicted, the window painted, then closed), against the
# same program starting without a day (the baseline of the same run). Each is
# measured with and without the history database (Data/QV.FDB).
#
#   bench/measure_app.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
velmar="$build/bin/velmar"
[ -x "$velmar" ] || { echo "missing $velmar: build velmar first" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "missing tool: hyperfine" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/day/Data" "$work/empty" "$work/runtime" "$work/config" "$work/fb"
chmod 700 "$work/runtime"
cp samples/Data/*.dat "$work/day/Data/"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
export FIREBIRD_LOCK="$work/fb"
unset VELMAR_HOME

# The sample day imported once (gap data and history rows included), so each
# measured start finds it in its home as a user's next start would.
"$velmar" --home "$work/day" --exit-after-first-race samples/hz261213.lzh 2>/dev/null
[ -f "$work/day/cnx_den1.vd2" ] || { echo "the sample day was not imported" >&2; exit 1; }

q() { printf '%q ' "$@"; }
hyperfine --warmup 2 --runs "${RUNS:-15}" --export-markdown "$work/startup.md" \
  -n "no day, no history (baseline)" "$(q "$velmar" --home "$work/empty" --no-history --exit-after-first-race) 2>/dev/null" \
  -n "sample day, no history" "$(q "$velmar" --home "$work/day" --no-history --exit-after-first-race) 2>/dev/null" \
  -n "no day, history (baseline)" "$(q "$velmar" --home "$work/empty" --exit-after-first-race) 2>/dev/null" \
  -n "sample day, history" "$(q "$velmar" --home "$work/day" --exit-after-first-race) 2>/dev/null"
cat "$work/startup.md"

if [ -x "$build/bin/bench_app" ]; then
  "$build/bin/bench_app" --benchmark_min_time=0.5 2>/dev/null
fi
