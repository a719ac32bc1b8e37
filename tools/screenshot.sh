#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window on the sample race day, drawn by
# the real program on Qt's offscreen platform (no display needed).
#
#   tools/screenshot.sh [BUILD_DIR] [OUT.png]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
out="${2:-$root/docs/screenshot.png}"
velmar="$build/bin/velmar"
[ -x "$velmar" ] || { echo "velmar がありません: $velmar (先にビルドしてください)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/Data" "$work/runtime" "$work/config" "$work/fb"
chmod 700 "$work/runtime"
cp "$root"/samples/Data/*.dat "$work/home/Data/"
mkdir -p "$(dirname "$out")"

# A fresh settings folder: the window opens at its default size and resizes
# itself to the race (two past races shown).
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" \
FIREBIRD_LOCK="$work/fb" VELMAR_HOME= \
  "$velmar" --home "$work/home" --screenshot "$out" "$root/samples/hz261213.lzh" 2>/dev/null
[ -s "$out" ] || { echo "スクリーンショットを作成できませんでした" >&2; exit 1; }
echo "$out"
