#!/usr/bin/env bash
# The real program under Xvfb opens the calculation file named on its command line, as a
# double click in a file manager starts it: Calcular and the report then give exactly what
# colvero-check gives for that file.
# Usage: e2e_argumento.sh COLVERO COLVERO_CHECK CASO.caVek
set -euo pipefail
colvero=$1
check=$2
caso=$3

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
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

pulsar 150 2940 1290 310  # Calcular
pulsar 1545 2985 1290 525 # Generar informe ( Portapapeles)
informe=$work/informe.txt
for _ in $(seq 100); do
    xclip -o -selection clipboard >"$informe" 2>/dev/null && [ -s "$informe" ] && break
    sleep 0.2
done
[ -s "$informe" ] || fail "el portapapeles está vacío: no se ha abierto el archivo"
"$check" --informe --locale C "$work/caso con espacios.caVek" >"$work/esperado.txt" || true
cmp -s "$informe" "$work/esperado.txt" || fail "el informe no es el del archivo abierto"
echo "e2e: la ventana abre el archivo de la línea de órdenes"
