#!/usr/bin/env python3
"""colvero-check --red on a SWMM model against the flat table of the same reaches.

Generates, in a temporary folder (nothing is kept), a tree of CONDUCTOS conduits (default
100,000) as a SWMM model (.inp, CMS) with the report (.rpt) that gives each conduit's maximum
flow, and the flat table (.csv) of the same reaches: D, n, the slope the model defines
(Δz / √(L² − Δz²), computed here in the same order, written with the digits that read back as
that very double) and the same flow. Both are checked with all ten conditions and the slope
window, alternately, REPETICIONES times (default 3), on one core (taskset -c 0) and on every
core; the medians of wall and processor time, the ratio model / table, and the peak memory
(max RSS) of each are printed. The JSON records of both runs are compared reach by reach:
verdicts, values and slope windows must be the same.

    python3 bench/red_grafo.py build/bench/cli/colvero-check [--conductos 100000]
        [--repeticiones 3]
"""
import argparse
import json
import math
import os
import pathlib
import random
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from red import ENTORNO, cronometrar, escribir_criterio, pico_memoria  # noqa: E402

# Keys that only a graph source writes, or that name the source.
SOLO_GRAFO = {"desde", "hasta", "longitud", "cota_inicio", "cota_fin", "D", "n", "i", "caudales",
              "origen_caudales", "caudal_medio_acumulado", "caudal_pluvial_acumulado", "fila",
              "archivo", "barriles"}


def arbol(conductos, semilla=7):
    """(tramo, desde, hasta, longitud, cota de inicio, cota de fin, D, n, Q) per conduit, and the
    nodes with their inverts; node 0 is the outfall."""
    aleatorio = random.Random(semilla)
    cota = [100.0]
    enlaces = []
    for k in range(1, conductos + 1):
        padre = aleatorio.randrange(max(1, k // 2), k) if k > 1 else 0
        cota.append(round(cota[padre] + aleatorio.uniform(0.05, 1.5), 3))
        d = aleatorio.choice((0.3, 0.4, 0.5, 0.6, 0.8, 1.0, 1.2))
        q = round(d * d * aleatorio.uniform(0.2, 1.2), 4)
        enlaces.append((f"T{k}", f"N{k}", "N0" if padre == 0 else f"N{padre}",
                        aleatorio.choice((35.0, 50.0, 62.5, 80.0, 110.0)), cota[k], cota[padre],
                        d, 0.013, q))
    return cota, enlaces


def escribir_modelo(ruta, informe, tabla, conductos):
    cota, enlaces = arbol(conductos)
    with open(ruta, "w", encoding="utf-8", newline="") as f:
        f.write("[OPTIONS]\nFLOW_UNITS CMS\nLINK_OFFSETS DEPTH\n\n[JUNCTIONS]\n")
        for k in range(1, len(cota)):
            f.write(f"N{k} {cota[k]!r} 3\n")
        f.write(f"\n[OUTFALLS]\nN0 {cota[0]!r} FREE\n\n[CONDUITS]\n")
        for t, a, b, largo, *_ in enlaces:
            f.write(f"{t} {a} {b} {largo!r} 0.013 0 0\n")
        f.write("\n[XSECTIONS]\n")
        for t, *_, d, n, q in enlaces:
            f.write(f"{t} CIRCULAR {d!r} 0 0 0\n")
    with open(informe, "w", encoding="utf-8", newline="") as f:
        f.write("  Flow Units ............... CMS\n\n  ********************\n"
                "  Link Flow Summary\n  ********************\n  \n  " + "-" * 77 + "\n"
                "                                 Maximum  Time of Max   Maximum    Max/    Max/\n"
                "                                  |Flow|   Occurrence   |Veloc|    Full    Full\n"
                "  Link                 Type          CMS  days hr:min     m/sec    Flow   Depth\n"
                "  " + "-" * 77 + "\n")
        for t, *_, q in enlaces:
            f.write(f"  {t:<20} CONDUIT  {q:10.4f}     0  04:01      1.00    0.50    0.50\n")
        f.write("\n")
    with open(tabla, "w", encoding="utf-8", newline="") as f:
        f.write("tramo;D;n;i;Q\r\n")
        for t, a, b, largo, ci, cf, d, n, q in enlaces:
            dz = ci - cf
            i = dz / math.sqrt(largo * largo - dz * dz)
            f.write(";".join(x.replace(".", ",") for x in (t, repr(d), repr(n), repr(i),
                                                           f"{q:.4f}")) + "\r\n")


def registros(orden):
    salida = subprocess.run(orden, stdout=subprocess.PIPE, env=ENTORNO).stdout
    r = {}
    for linea in salida.splitlines():
        x = json.loads(linea)
        r[x["tramo"]] = {k: v for k, v in x.items() if k not in SOLO_GRAFO}
    return r


def main():
    a = argparse.ArgumentParser()
    a.add_argument("check")
    a.add_argument("--conductos", type=int, default=100_000)
    a.add_argument("--repeticiones", type=int, default=3)
    o = a.parse_args()
    check = os.path.abspath(o.check)
    with tempfile.TemporaryDirectory() as tmp:
        carpeta = pathlib.Path(tmp)
        criterio = carpeta / "criterio.CrVek"
        escribir_criterio(criterio)
        modelo, informe, tabla = carpeta / "red.inp", carpeta / "red.rpt", carpeta / "red.csv"
        escribir_modelo(modelo, informe, tabla, o.conductos)
        comun = ["--criterio", str(criterio), "--json"]
        ordenes = {"modelo": [check, "--red", str(modelo), "--rpt", str(informe), *comun],
                   "tabla": [check, "--red", str(tabla), *comun]}

        m, t = registros(ordenes["modelo"]), registros(ordenes["tabla"])
        distintos = [k for k in t if m.get(k) != t[k]]
        print(f"{o.conductos} conductos; registros iguales en el modelo y en la tabla: "
              f"{len(t) - len(distintos)} de {len(t)}")
        for k in distintos[:3]:
            print(f"  distinto: {k}\n    modelo {m.get(k)}\n    tabla  {t[k]}")

        for nombre, prefijo in (("1 núcleo", ["taskset", "-c", "0"]),
                                (f"{os.cpu_count()} núcleos", [])):
            tiempos = {"modelo": [], "tabla": []}
            for _ in range(o.repeticiones):
                for fuente in ("tabla", "modelo"):
                    tiempos[fuente].append(cronometrar([*prefijo, *ordenes[fuente]]))
            med = {f: (statistics.median(r for r, _ in v), statistics.median(c for _, c in v))
                   for f, v in tiempos.items()}
            print(f"{nombre}: modelo {med['modelo'][0]:.2f} s (procesador {med['modelo'][1]:.2f} s)"
                  f", tabla {med['tabla'][0]:.2f} s (procesador {med['tabla'][1]:.2f} s); "
                  f"modelo / tabla ×{med['modelo'][0] / med['tabla'][0]:.3f} en tiempo real, "
                  f"×{med['modelo'][1] / med['tabla'][1]:.3f} en procesador")
        for fuente, orden in ordenes.items():
            print(f"memoria máxima, {fuente}: {pico_memoria(orden) / 1024:.1f} MiB")
        return 1 if distintos else 0


if __name__ == "__main__":
    sys.exit(main())
