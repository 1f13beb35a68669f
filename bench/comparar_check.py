#!/usr/bin/env python3
"""colvero-check against the standard-library yardstick, side by side in one run.

Writes copies of one calculation file to a temporary folder, then times both programs on the
same files in alternation (A, B, A, B...) with the plain summary and with --json, and reports
the medians and their ratio. It also reports each program's peak memory (max RSS of the child)
on a small and on a large set of files.

    python3 bench/comparar_check.py build/bench/cli/colvero-check \\
        build/bench/bench/referencia_check [--antes OTRO_COLVERO_CHECK] [--rondas 9]
"""
import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

RAIZ = pathlib.Path(__file__).resolve().parent.parent


ENTORNO = {**os.environ, "LC_ALL": "C"}


def ejecutar(programa, argumentos, carpeta):
    """Wall time (s), processor time (s, user + system) and exit status of one run, output
    discarded. On a machine that others share, the processor time moves less than the wall
    time."""
    inicio = time.perf_counter()
    hijo = subprocess.Popen([programa, *argumentos], cwd=carpeta, stdout=subprocess.DEVNULL,
                            env=ENTORNO)
    _, estado, uso = os.wait4(hijo.pid, 0)
    real = time.perf_counter() - inicio
    hijo.returncode = os.waitstatus_to_exitcode(estado)
    return real, uso.ru_utime + uso.ru_stime, hijo.returncode


def memoria(programa, argumentos, carpeta):
    """Max RSS (KiB) of one run. /usr/bin/time measures it: a child forked from Python would
    count Python's own pages."""
    with tempfile.NamedTemporaryFile("r") as informe:
        codigo = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", informe.name, programa,
                                  *argumentos], cwd=carpeta, stdout=subprocess.DEVNULL,
                                 env=ENTORNO)
        if codigo != 0:
            sys.exit(f"{programa}: código de salida {codigo}")
        return int(informe.read().split()[-1])


def main():
    a = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    a.add_argument("colvero_check")
    a.add_argument("referencia")
    a.add_argument("--antes", help="another colvero-check build to time alongside")
    a.add_argument("--caso", default=str(RAIZ / "examples" / "colector-1m.caVek"))
    a.add_argument("--archivos", type=int, default=2000)
    a.add_argument("--grande", type=int, default=20000)
    a.add_argument("--rondas", type=int, default=9)
    o = a.parse_args()

    programas = {"colvero-check": os.path.abspath(o.colvero_check),
                 "referencia": os.path.abspath(o.referencia)}
    if o.antes:
        programas["antes"] = os.path.abspath(o.antes)
    caso = pathlib.Path(o.caso).read_bytes()

    with tempfile.TemporaryDirectory() as carpeta:
        nombres = [f"c{k:05d}.caVek" for k in range(o.grande)]
        for n in nombres:
            pathlib.Path(carpeta, n).write_bytes(caso)
        pocos = nombres[:o.archivos]

        print(f"{o.archivos} archivos, {o.rondas} rondas alternadas; mediana del tiempo real "
              "y del tiempo de procesador (usuario + sistema)")
        for modo, extra in (("resumen", []), ("--json", ["--json"])):
            tiempos = {nombre: [] for nombre in programas}
            cpu = {nombre: [] for nombre in programas}
            for _ in range(o.rondas):
                for nombre, programa in programas.items():
                    s, c, codigo = ejecutar(programa, extra + pocos, carpeta)
                    if codigo != 0:
                        sys.exit(f"{nombre} {modo}: código de salida {codigo}")
                    tiempos[nombre].append(s)
                    cpu[nombre].append(c)
            ref = statistics.median(tiempos["referencia"])
            ref_cpu = statistics.median(cpu["referencia"])
            for nombre, t in tiempos.items():
                m = statistics.median(t)
                mc = statistics.median(cpu[nombre])
                print(f"  {modo:8} {nombre:14} {m * 1000:8.1f} ms  {m / ref:5.2f}x referencia"
                      f"   procesador {mc * 1000:7.1f} ms  {mc / ref_cpu:5.2f}x")

        print("memoria máxima (max RSS según /usr/bin/time, mediana de 3)")
        for modo, extra in (("resumen", []), ("--json", ["--json"])):
            for nombre, programa in programas.items():
                rss = []
                for lista in (pocos, nombres):
                    rss.append(statistics.median(
                        memoria(programa, extra + lista, carpeta) for _ in range(3)))
                print(f"  {modo:8} {nombre:14} {len(pocos)}: {rss[0] / 1024:6.1f} MiB  "
                      f"{len(nombres)}: {rss[1] / 1024:6.1f} MiB  ({rss[1] / rss[0]:.2f}x)")


if __name__ == "__main__":
    main()
