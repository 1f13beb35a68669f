#!/usr/bin/env bash
# Installs the build into a staging folder and checks what lands there as a desktop would use
# it: the menu entry, the file types, the manual page, the programs; then builds the Debian
# package and reads its control fields and file list.
# Usage: instalacion.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
fuente=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
raiz=$work/raiz
share=$raiz/usr/share

fail() {
    echo "FALLO: $*" >&2
    exit 1
}

DESTDIR=$raiz cmake --install "$build" --prefix /usr >"$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"

for f in usr/bin/colvero usr/bin/colvero-check usr/libexec/colvero/colvero-check-graficos \
    usr/share/applications/colvero.desktop \
    usr/share/mime/packages/colvero.xml usr/share/man/man1/colvero-check.1.gz \
    usr/share/icons/hicolor/scalable/apps/colvero.svg \
    usr/share/icons/hicolor/48x48/apps/colvero.png usr/share/icons/hicolor/256x256/apps/colvero.png \
    usr/share/colvero/series/hormigon-dn.txt usr/share/colvero/series/pvc-sn4.txt \
    usr/share/colvero/ejemplos/colector-1m.caVek usr/share/colvero/ejemplos/criterio-estricto.CrVek; do
    [ -s "$raiz/$f" ] || fail "no se ha instalado $f"
done
[ -z "$(find "$raiz" -name '.git*')" ] || fail "se instalan archivos de git"
file "$share/icons/hicolor/48x48/apps/colvero.png" | grep -q '48 x 48' ||
    fail "el icono de 48 no mide 48 x 48"

desktop-file-validate "$share/applications/colvero.desktop" || fail "entrada de menú no válida"
xmllint --noout "$share/mime/packages/colvero.xml" || fail "paquete MIME no es XML válido"
update-mime-database "$share/mime" || fail "update-mime-database rechaza el paquete MIME"
cp "$fuente/examples/colector-1m.caVek" "$work/caso.caVek"
cp "$fuente/examples/colector-1m.caVek" "$work/CASO.CAVEK"
cp "$fuente/examples/criterio-estricto.CrVek" "$work/criterio.CrVek"
tipo() { XDG_DATA_HOME=$work/home XDG_DATA_DIRS=$share xdg-mime query filetype "$1"; }
[ "$(tipo "$work/caso.caVek")" = application/x-colvero-calculo ] || fail "tipo de .caVek: $(tipo "$work/caso.caVek")"
[ "$(tipo "$work/CASO.CAVEK")" = application/x-colvero-calculo ] || fail "tipo de .CAVEK"
[ "$(tipo "$work/criterio.CrVek")" = application/x-colvero-criterio ] || fail "tipo de .CrVek"

man -l "$share/man/man1/colvero-check.1.gz" 2>&1 | grep -q 'ESTADO DE SALIDA' ||
    fail "man no muestra la página de colvero-check"

"$raiz/usr/bin/colvero-check" --locale C "$share/colvero/ejemplos/colector-1m.caVek" >"$work/salida.txt" ||
    fail "colvero-check instalado no comprueba el ejemplo instalado"
grep -qF '(1)  [SI]  Qll > Q1' "$work/salida.txt" || fail "salida inesperada: $(cat "$work/salida.txt")"
"$raiz/usr/bin/colvero-check" --grafico "$work/grafico.svg" "$share/colvero/ejemplos/colector-1m.caVek" ||
    fail "colvero-check instalado no dibuja el gráfico"
xmllint --noout "$work/grafico.svg" || fail "el gráfico instalado no es SVG válido"

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/deb/colvero_*.deb)
control=$(dpkg-deb -I "$deb")
for campo in 'Package: colvero' 'Section: science' 'qt6-qpa-plugins' 'libqt6widgets6' 'libc6'; do
    grep -qF "$campo" <<<"$control" || fail "falta «$campo» en el control del paquete"
done
contenido=$(dpkg-deb -c "$deb")
for f in ./usr/bin/colvero ./usr/bin/colvero-check ./usr/libexec/colvero/colvero-check-graficos \
    ./usr/share/applications/colvero.desktop \
    ./usr/share/mime/packages/colvero.xml ./usr/share/man/man1/colvero-check.1.gz; do
    grep -qF " $f" <<<"$contenido" || fail "el paquete no contiene $f"
done
echo "instalación: archivos, tipos, menú, manual y paquete correctos"
