#!/usr/bin/env bash
# End-to-end run of the real window under Xvfb: type a case, press Calcular, press the report
# button, read the clipboard from another process; then save the case through the real save
# dialog and read the file back with colvero-check. Under a Spanish locale the numbers are
# typed with decimal commas, as engineers in Spain type them.
# Usage: e2e_xvfb.sh COLVERO COLVERO_CHECK [LOCALE]
set -euo pipefail
colvero=$1
check=$2
locale=${3:-C}

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
export LANG=$locale LC_ALL=$locale
case "$locale" in
es_*) coma=, ;;
*) coma=. ;;
esac
export XDG_RUNTIME_DIR=$work/xdg XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

fail() {
    echo "FALLO: $*" >&2
    exit 1
}

# shellcheck source=../../scripts/ventana-x11.sh
. "$(dirname "$0")/../../scripts/ventana-x11.sh"
abrir_ventana "$colvero" || fail "la ventana no aparece"

escribir 11220 4575 1005 "1"     # D
escribir 11220 4890 1005 "0${coma}013" # n
escribir 11220 5235 1005 "0${coma}005" # i
escribir 3555 5895 585 "1"       # Q1
escribir 3555 6315 585 "1"       # Q2
escribir 9630 6315 585 "3"       # Vmax

pulsar 150 2940 1290 310 # Calcular
pulsar 1545 2985 1290 525 # Generar informe ( Portapapeles)

# The clicks are queued: under a sanitizer build the window may take a while to own the
# clipboard.
informe=$work/informe.txt
for _ in $(seq 100); do
    xclip -o -selection clipboard >"$informe" 2>/dev/null && [ -s "$informe" ] && break
    sleep 0.2
done
[ -s "$informe" ] || fail "el portapapeles está vacío"
tr '\r' '\n' <"$informe" >"$work/informe-lineas.txt"
lines=$(grep -c '' "$work/informe-lineas.txt")
[ "$lines" -eq 123 ] || fail "el informe tiene $lines líneas (122 esperadas tras el CR inicial)"
for verdict in "(1)  [SI]  Qll > Q1" "(2)  [SI]  V2 < Vmax" "(3)  [ERROR]  V3<=0" \
    "(8)  [SI]  I8 > Imin" "(9)  [NO]  I9 > Imax" "(10)  [ERROR]  (y/D)<=0%"; do
    grep -qF "$verdict" "$work/informe-lineas.txt" || fail "falta «$verdict» en el informe"
done

# Save through the real dialog: the file name box has the focus when it opens.
pulsar 1560 3735 1290 310 # Guardar Cálculo
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Guardar C' | head -n 1)
[ -n "$dialog" ] || fail "no se abre el diálogo de guardar"
sleep 0.5
xdotool type --delay 20 "$work/caso.caVek"
xdotool key Return
for _ in $(seq 200); do
    [ -s "$work/caso.caVek" ] && break
    sleep 0.1
done
[ -s "$work/caso.caVek" ] || fail "no se ha guardado el archivo"

# The clipboard report of the window and colvero-check's report of the saved case agree byte
# for byte: same numbers, same separator.
"$check" --informe --locale "$locale" "$work/caso.caVek" >"$work/informe-check.txt" || true
cmp -s "$informe" "$work/informe-check.txt" ||
    fail "el informe de la ventana y el de colvero-check difieren: $(cmp "$informe" "$work/informe-check.txt")"
grep -qF "Nº de Manning n ="$'\t\t'"0${coma}013" "$work/informe-lineas.txt" ||
    fail "el informe no muestra n con el separador «$coma»"

json=$("$check" --json --locale C "$work/caso.caVek" || true)
case "$json" in
*'"veredicto":"(1)  [SI]  Qll > Q1"'*'"veredicto":"(2)  [SI]  V2 < Vmax"'*) ;;
*) fail "el archivo guardado no da los mismos veredictos: $json" ;;
esac
first=$(iconv -f WINDOWS-1252 -t UTF-8 "$work/caso.caVek" | head -n 1)
[ "$first" = $'Título 1,Título 2,1,0.013,0.005\r' ] || fail "primera línea inesperada: $first"

echo "e2e ($locale): ventana, informe y guardado correctos"
