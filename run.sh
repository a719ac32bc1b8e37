#!/usr/bin/env bash
# Installs what is missing, builds, and opens Velmar on ARCHIVE or on the
# bundled sample race day. Without a display it prints the day's predictions.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"

archive="${1:-$PWD/samples/hz261213.lzh}"
home="${VELMAR_HOME:-$PWD/build/sample-home}"
mkdir -p "$home/Data"

# The standard data files ship with the program: give the home any it lacks,
# never replacing one already there.
for dat in samples/Data/*.dat; do
  [ -e "$dat" ] || continue
  [ -e "$home/Data/$(basename "$dat")" ] || cp "$dat" "$home/Data/"
done

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/velmar ]; then
  exec build/bin/velmar --home "$home" "$archive"
fi

build/bin/velmar-cli import "$archive" --home "$home"
if build/bin/velmar-cli predict --help >/dev/null 2>&1; then
  exec build/bin/velmar-cli predict --home "$home" --all
fi
exec build/bin/velmar-cli races --home "$home"
