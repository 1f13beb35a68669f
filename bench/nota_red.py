#!/usr/bin/env python3
"""colvero-check --red --nota-red on generated SWMM models: the time and peak memory the note
adds to the check.

For each size (default 500, 2,000 and 8,000 conduits) a tree of conduits with node coordinates
and its report is written to a temporary folder (nothing is kept); the network is checked with
all ten conditions and the slope window, once without the note and once with it, REPETICIONES
times each (default 3). Prints the medians of wall time, the peak memory (max RSS) of both runs
and the pages of the note. The note of 2,000 conduits must take under 10 s on the whole.

    python3 bench/nota_red.py build/plain/cli/colvero-check [--conductos 500,2000,8000]
        [--repeticiones 3]
"""
import argparse
import math
import pathlib
import random
import re
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from red import ENTORNO, cronometrar, escribir_criterio, pico_memoria  # noqa: E402
from red_grafo import arbol, escribir_modelo  # noqa: E402


def anadir_coordenadas(ruta, conductos, semilla=11):
    """Places each node a reach's length away from the node downstream of it."""
    _, enlaces = arbol(conductos)
    aleatorio = random.Random(semilla)
    posicion = {"N0": (440000.0, 4474000.0)}
    for _, desde, hasta, largo, *_ in enlaces:
        x, y = posicion[hasta]
        angulo = aleatorio.uniform(0, 2 * math.pi)
        posicion[desde] = (x + largo * math.cos(angulo), y + largo * math.sin(angulo))
    with open(ruta, "a", encoding="utf-8", newline="") as f:
        f.write("\n[COORDINATES]\n")
        for nodo, (x, y) in posicion.items():
            f.write(f"{nodo} {x:.2f} {y:.2f}\n")


def paginas(pdf):
    salida = subprocess.run(["pdfinfo", pdf], stdout=subprocess.PIPE, text=True).stdout
    return int(re.search(r"Pages:\s+(\d+)", salida).group(1))


def main():
    a = argparse.ArgumentParser()
    a.add_argument("check")
    a.add_argument("--conductos", default="500,2000,8000")
    a.add_argument("--repeticiones", type=int, default=3)
    o = a.parse_args()
    print(f"{'conductos':>9} {'sin nota (s)':>12} {'con nota (s)':>12} {'nota (s)':>9} "
          f"{'RSS sin (MB)':>12} {'RSS con (MB)':>12} {'páginas':>8}")
    with tempfile.TemporaryDirectory() as carpeta:
        carpeta = pathlib.Path(carpeta)
        escribir_criterio(carpeta / "criterio.CrVek")
        for n in (int(x) for x in o.conductos.split(",")):
            modelo, informe = carpeta / f"red{n}.inp", carpeta / f"red{n}.rpt"
            escribir_modelo(modelo, informe, carpeta / f"red{n}.csv", n)
            anadir_coordenadas(modelo, n)
            nota = carpeta / f"nota{n}.pdf"
            base = [o.check, "--red", str(modelo), "--rpt", str(informe), "--criterio",
                    str(carpeta / "criterio.CrVek")]
            con = base + ["--nota-red", str(nota)]
            sin_t, con_t = [], []
            for _ in range(o.repeticiones):
                sin_t.append(cronometrar(base)[0])
                con_t.append(cronometrar(con)[0])
            sin, conm = statistics.median(sin_t), statistics.median(con_t)
            print(f"{n:>9} {sin:>12.2f} {conm:>12.2f} {conm - sin:>9.2f} "
                  f"{pico_memoria(base) / 1024:>12.1f} {pico_memoria(con) / 1024:>12.1f} "
                  f"{paginas(str(nota)):>8}", flush=True)


if __name__ == "__main__":
    main()
