#!/usr/bin/env bash
# Renders the main window with the three-way example, one PNG per result tab, into
# build/screenshots/ without a screen. Run from anywhere; builds what it needs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="$build/screenshots"
project="$root/examples/Projekte/Dreiwege Bassreflex.LSP"

bash "$root/scripts/install-deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target sonora-screenshots >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/bin/sonora-screenshots" "$project" "$out"
