#!/usr/bin/env bash
# Screenshot of the design assistant, for the README. Types the example case with decimal commas
# under a Spanish locale, opens the assistant with Ctrl+D and grabs its window.
# Usage: scripts/captura-asistente.sh [COLVERO] [OUT.png]   (needs xvfb-run, xdotool, imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
colvero=${1:-build/plain/ui/colvero}
out=${2:-docs/asistente.png}

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

escribir_caso_ejemplo
xdotool key --clearmodifiers ctrl+d
asistente=$(timeout 30 xdotool search --sync --onlyvisible --name '^Asistente de dise' | head -n 1)
[ -n "$asistente" ]
xdotool mousemove 0 0
sleep 1
import -window "$asistente" "$out"
echo "captura: $out"
