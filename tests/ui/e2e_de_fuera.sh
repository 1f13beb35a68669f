#!/usr/bin/env bash
# The real program under Xvfb opens a calculation file from outside: named on its command line,
# as a double click in a file manager starts it, and dropped on the window from another
# program. Calcular and the report then give exactly what colvero-check gives for that file.
# Usage: e2e_de_fuera.sh COLVERO COLVERO_CHECK ARRASTRE CASO.caVek
set -euo pipefail
colvero=$1
check=$2
arrastre=$3
caso=$4

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${pid:-0}" "${origen:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
export LANG=C LC_ALL=C
export XDG_RUNTIME_DIR=$work/xdg XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

fail() {
    echo "FALLO: $*" >&2
    exit 1
}

cp "$caso" "$work/caso con espacios.caVek"
# shellcheck source=../../scripts/ventana-x11.sh
. "$(dirname "$0")/../../scripts/ventana-x11.sh"
abrir_ventana "$colvero" "$work/caso con espacios.caVek" || fail "la ventana no aparece"

# Calcular and the report of the window must be those of the file.
comprobar_informe() {
    rm -f "$work/informe.txt"
    pulsar 150 2940 1290 310  # Calcular
    pulsar 1545 2985 1290 525 # Generar informe ( Portapapeles)
    for _ in $(seq 100); do
        xclip -o -selection clipboard >"$work/informe.txt" 2>/dev/null && [ -s "$work/informe.txt" ] &&
            break
        sleep 0.2
    done
    [ -s "$work/informe.txt" ] || fail "el portapapeles está vacío: no se ha abierto el archivo ($1)"
    cmp -s "$work/informe.txt" "$work/esperado.txt" || fail "el informe no es el del archivo ($1)"
}
"$check" --informe --locale C "$work/caso con espacios.caVek" >"$work/esperado.txt" || true
comprobar_informe "línea de órdenes"
kill "$pid"
wait "$pid" 2>/dev/null || true

# A fresh window; another program drags the file onto it.
abrir_ventana "$colvero" || fail "la ventana no aparece"
"$arrastre" "$work/caso con espacios.caVek" &
origen=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Arrastre$' >/dev/null ||
    fail "no aparece el origen del arrastre"
sleep 0.5
# The drag starts on the press and follows the pointer; a sanitizer build takes its time.
xdotool mousemove --sync 1150 150 mousedown 1
sleep 1
for x in 1100 1000 900 700 500; do
    xdotool mousemove --sync "$x" 300
    sleep 0.2
done
sleep 1
xdotool mouseup 1
sleep 0.5
comprobar_informe "arrastre"
echo "e2e: la ventana abre el archivo de la línea de órdenes y el que se suelta sobre ella"
