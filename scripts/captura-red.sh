#!/usr/bin/env bash
# Screenshot of the network window, for the README. Opens it with Ctrl+R under a Spanish
# locale (its header button: the same as Ctrl+R), chooses the example network as a SWMM model
# (examples/red-ejemplo.inp), its flow hypothesis, its criterion and the concrete series
# through the dialogs, runs «Comprobar» and grabs the window with its plan.
# Usage: scripts/captura-red.sh [COLVERO] [OUT.png]   (needs xvfb-run, xdotool, imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
colvero=${1:-build/plain/ui/colvero}
out=${2:-docs/ventana-red.png}

if [ -z "${CAPTURA_INSIDE_XVFB:-}" ]; then
    export CAPTURA_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$colvero" "$out"
fi

export LANG=es_ES.UTF-8 LC_ALL=
export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
unset QT_QPA_PLATFORM
. scripts/ventana-x11.sh
abrir_ventana "$colvero"

# elegir TECLA TÍTULO RUTA: opens a file dialog of the network window by its mnemonic and
# types the file's path. Without a window manager the focus does not come back by itself.
elegir() {
    xdotool windowfocus --sync "$red"
    xdotool key --clearmodifiers "$1"
    timeout 30 xdotool search --sync --onlyvisible --name "^$2" >/dev/null
    sleep 0.5
    xdotool type --delay 10 "$3"
    xdotool key Return
    sleep 0.5
}

xdotool mousemove --sync 392 164 click 1   # «Comprobar red…»
red=$(timeout 30 xdotool search --sync --onlyvisible --name '^Comprobar red$' | head -n 1)
[ -n "$red" ]
xdotool windowsize --sync "$red" 1280 740   # the whole screen's width: up to the smallest pipe
sleep 0.5
elegir alt+t 'Abrir la red' "$PWD/examples/red-ejemplo.inp"
elegir alt+h 'Abrir hip' "$PWD/examples/hipotesis.txt"
elegir alt+r 'Abrir criterio o plantilla' "$PWD/examples/criterio-red.CrVek"
xdotool windowfocus --sync "$red"
xdotool key --clearmodifiers alt+d Down
xdotool key --clearmodifiers alt+c
sleep 2
xdotool mousemove 0 0
sleep 0.5
import -window "$red" "$out"
echo "captura: $out"
