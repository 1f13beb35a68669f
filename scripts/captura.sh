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

escribir_caso_ejemplo
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
