#!/usr/bin/python3
"""Opens a layer of results with QGIS itself and prints how QGIS draws it.

    QT_QPA_PLATFORM=offscreen /usr/bin/python3 scripts/estilo-qgis.py SALIDA.gpkg [CAPA]

Needs Debian's qgis and python3-qgis (not installed by setup.sh: slow, and not part of the
tests). Prints the renderer type, its class attribute and the classes; exits 1 unless QGIS
applies the style stored in the GeoPackage (a categorised renderer on `cumple`).
"""
import os
import sys

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
from qgis.core import QgsApplication, QgsVectorLayer  # noqa: E402


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    ruta = sys.argv[1]
    capa = sys.argv[2] if len(sys.argv) == 3 else "tramos"
    app = QgsApplication([], False)
    app.initQgis()
    layer = QgsVectorLayer(f"{ruta}|layername={capa}", capa, "ogr")
    if not layer.isValid():
        print(f"QGIS no abre la capa «{capa}» de «{ruta}»", file=sys.stderr)
        return 1
    r = layer.renderer()
    tipo = r.type()
    atributo = r.classAttribute() if hasattr(r, "classAttribute") else ""
    print("renderer:", tipo)
    print("atributo:", atributo)
    for c in getattr(r, "categories", lambda: [])():
        print(f"clase: {c.value()!r} {c.label()} {c.symbol().color().name()}")
    print("entidades:", layer.featureCount())
    sys.stdout.flush()
    # QGIS may crash while Python tears its objects down: leave without that.
    os._exit(0 if tipo == "categorizedSymbol" and atributo == "cumple" else 1)

if __name__ == "__main__":
    sys.exit(main())
