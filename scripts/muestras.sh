#!/usr/bin/env bash
# The chart and the first page of the calculation note of a sample case, for the README:
# docs/grafico.png (900 × 675 at 2x) and docs/nota.png (page 1 of the PDF at 100 dpi).
# Usage: scripts/muestras.sh [BUILD]   (BUILD defaults to build/plain; needs pdftoppm)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/plain}
cmake --build "$build" -t muestra_nota
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 0700 "$tmp/xdg"
# A collector whose design flows differ, one of them past its fill limit and one with two
# normal depths.
printf '%s\r\n' \
    'Colector general - tramo 3-4,Proyecto de saneamiento de ejemplo,1,0.013,0.005' \
    ' 1 ,1.2,Caudal de cálculo' ' 1 ,1.5,Caudal punta,3' ' 1 ,0.15,Caudal mínimo,0.6' \
    ' 1 ,1.5,Caudal punta,70' ' 1 ,0.5,Caudal medio,2.65,1,10' ' 1 ,0.9,Caudal medio,1' \
    ' 1 ,1.75,Caudal máximo,2' ' 1 ,-,0.004' ' 1 ,-,0.01' ' 1 ,-,50,0.6' 'EOF' >"$tmp/caso.caVek"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/xdg" \
    "$build/note/muestra_nota" "$tmp/caso.caVek" docs/grafico.png "$tmp/nota.pdf"
pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$tmp/nota.pdf" docs/nota
echo "muestras: docs/grafico.png docs/nota.png"
