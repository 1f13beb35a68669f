#!/usr/bin/env bash
# The pictures of a checked network for the README, from examples/red-ejemplo.inp with its
# hypothesis and criterion: docs/perfil.png (the profile from the upstream end of the failing
# reach T10 to the outfall) and docs/nota-red.png (page 1 of the network note at 60 dpi).
# Usage: scripts/muestras-red.sh [BUILD]   (BUILD defaults to build/plain; needs pdftoppm)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/plain}
cmake --build "$build" -t colvero-check colvero-check-graficos
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 0700 "$tmp/xdg"
red=(--red examples/red-ejemplo.inp --hipotesis examples/hipotesis.txt
     --criterio examples/criterio-red.CrVek)
# Exit status 1 says a reach fails, which is what the pictures show.
comprobar() {
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/xdg" "$build/cli/colvero-check" "$@" \
        >/dev/null || [ $? -eq 1 ]
}
comprobar "${red[@]}" --perfil T10 --salida-perfil docs/perfil.png
comprobar "${red[@]}" --nota-red "$tmp/nota-red.pdf"
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$tmp/nota-red.pdf" docs/nota-red
echo "muestras-red: docs/perfil.png docs/nota-red.png"
