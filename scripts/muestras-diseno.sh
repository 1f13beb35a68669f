#!/usr/bin/env bash
# The pictures of a designed network for the README, from examples/diseno-ejemplo.inp with its
# hypothesis and criterion: the profile of the main path from P01 to the outfall as the source has it
# (docs/diseno-antes.png) and as designed with the concrete series (docs/diseno-despues.png).
# Usage: scripts/muestras-diseno.sh [BUILD]   (BUILD defaults to build/plain)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/plain}
cmake --build "$build" -t colvero-check colvero-check-graficos
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 0700 "$tmp/xdg"
comun=(--hipotesis examples/hipotesis.txt --criterio examples/criterio-red.CrVek)
# Exit status 1: a reach has no design or fails; the
# source's profile exits 2 too, its adverse reach cannot be checked. Those are what the
# pictures show; a picture not written is an error.
colvero() {
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/xdg" "$build/cli/colvero-check" "$@" \
        >/dev/null || [ $? -le 2 ]
}
rm -f docs/diseno-antes.png docs/diseno-despues.png
colvero --red examples/diseno-ejemplo.inp "${comun[@]}" --disenar --serie hormigon \
    --salida "$tmp/disenada.inp"
colvero --red examples/diseno-ejemplo.inp "${comun[@]}" --perfil P01 \
    --salida-perfil docs/diseno-antes.png
colvero --red "$tmp/disenada.inp" "${comun[@]}" --perfil P01 \
    --salida-perfil docs/diseno-despues.png
test -s docs/diseno-antes.png && test -s docs/diseno-despues.png
echo "muestras-diseno: docs/diseno-antes.png docs/diseno-despues.png"
