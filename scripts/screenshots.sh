#!/usr/bin/env bash
# Renders the main window with the three-way example, one PNG per result tab, and the editors,
# tool windows and dialogs into build/screenshots/ without a screen, then copies the pictures that
# README.md and the user guides (docs/anleitung.md, docs/guide.md) show into docs/screenshots/.
# Run from anywhere; builds what it needs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="$build/screenshots"
docs="$root/docs/screenshots"
project="$root/examples/Projekte/Dreiwege Bassreflex.LSP"

bash "$root/scripts/install-deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target sonora-screenshots >/dev/null
rm -rf "$out"
mkdir -p "$out" "$docs"
QT_QPA_PLATFORM=offscreen "$build/bin/sonora-screenshots" "$project" "$out"

# The documents' pictures: a tab picture by the tab's name (its number follows the tab order),
# the others by their own name. A picture that was not rendered stops the script.
copy() {
    local pattern="$1" target="$2" found
    found=$(find "$out" -maxdepth 1 -name "$pattern" | head -n 1)
    [ -n "$found" ] || { echo "screenshots.sh: no picture $pattern in $out" >&2; exit 1; }
    cp "$found" "$docs/$target"
}
copy '[0-9][0-9]_Frequenzgang.png' frequenzgang.png
copy '[0-9][0-9]_F-Gang_Richtungen.png' richtungen.png
copy '[0-9][0-9]_Chassis.png' chassis.png
copy '[0-9][0-9]_Richtungsplots.png' richtungsplots.png
copy '[0-9][0-9]_Spinorama.png' spinorama.png
copy '[0-9][0-9]_Impulsantwort.png' impulsantwort.png
copy '[0-9][0-9]_Sprungantwort.png' sprungantwort.png
for picture in menue_datei weiche bauteil optimierer export nahfeld toleranz; do
    copy "$picture.png" "$picture.png"
done
echo "Pictures in $out; the documents' copies in $docs"
