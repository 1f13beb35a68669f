#!/usr/bin/env bash
# Screenshot of the window with a completed calculation, for the README. Types a whole case
# with decimal commas under a Spanish locale, presses Calcular and grabs the window.
# Then presses «Gráfico» and grabs the chart window as well.
# Usage: scripts/captura.sh [COLVERO] [OUT.png] [CHART.png]   (needs xvfb-run, xdotool,
# imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
colvero=${1:-build/plain/ui/colvero}
out=${2:-docs/ventana.png}
grafico=${3:-docs/ventana-grafico.png}

if [ -z "${CAPTURA_INSIDE_XVFB:-}" ]; then
    export CAPTURA_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$colvero" "$out" "$grafico"
fi

export LANG=es_ES.UTF-8 LC_ALL=
export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
unset QT_QPA_PLATFORM
. scripts/ventana-x11.sh
abrir_ventana "$colvero"

escribir 2100 4635 5580 "Colector general, tramo 3-4"
escribir 2100 5070 5580 "Proyecto de saneamiento de ejemplo"
escribir 11220 4575 1005 "1"
escribir 11220 4890 1005 "0,013"
escribir 11220 5235 1005 "0,005"
for top in 5895 6315 6735 7155 7920 8670 8985; do
    escribir 3555 "$top" 585 "1"
done
escribir 9630 6315 585 "3"      # Vmax
escribir 9630 6735 585 "0,6"    # Vmin
escribir 9630 7155 585 "75"     # y/D max
escribir 9630 7590 585 "2,65"   # particle
escribir 9630 7905 585 "1"      # water
escribir 9630 8220 585 "10"     # dp
escribir 9630 8670 585 "1"      # Fmin
escribir 9630 8985 585 "2"      # Fmax
escribir 9630 9450 645 "0,004"  # Imin
escribir 9630 9765 645 "0,01"   # Imax
escribir 9630 10125 585 "50"    # y/D
escribir 9630 10440 585 "0,6"   # v min
pulsar 150 2940 1290 310        # Calcular
xdotool mousemove 0 0
sleep 0.5
import -window "$win" "$out"
echo "captura: $out"

pulsar 10740 2480 1290 310      # Gráfico
ventana=$(timeout 30 xdotool search --sync --onlyvisible --name 'elementos hidr' | head -n 1)
sleep 0.5
import -window "$ventana" "$grafico"
echo "captura: $grafico"
