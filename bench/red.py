#!/usr/bin/env python3
"""colvero-check --red: rows per second on one core and on all, and peak memory against rows.

Generates the tables in a temporary folder (nothing is kept):
  1. FILAS reaches (default 100,000) with all ten conditions enabled and the slope window,
     timed with the process pinned to one core (taskset -c 0) and free on every core;
  2. the same reaches with --sin-pendientes against colvero-check on the same reaches as
     separate calculation files (at most --archivos of them, default 20,000);
  3. the peak memory (max RSS from /usr/bin/time -v) at 10^4 and 10^6 rows, --sin-pendientes.

    python3 bench/red.py build/bench/cli/colvero-check [--filas 100000] [--archivos 20000]
        [--memoria 10000,1000000]
"""
import argparse
import os
import pathlib
import random
import re
import subprocess
import sys
import tempfile
import time

RAIZ = pathlib.Path(__file__).resolve().parent.parent
ENTORNO = {**os.environ, "LC_ALL": "C"}

# The example network's criterion with condition 6 enabled too: all ten conditions.
def escribir_criterio(ruta):
    datos = (RAIZ / "examples" / "criterio-red.CrVek").read_bytes()
    datos = datos.replace(b" 0 ,-,Caudal punta,0.5,-", b" 1 ,-,Caudal punta,0.5,-")
    ruta.write_bytes(datos)


def tramos(filas, semilla=1):
    aleatorio = random.Random(semilla)
    for k in range(filas):
        d = aleatorio.choice((0.3, 0.4, 0.5, 0.6, 0.8, 1.0, 1.2))
        i = aleatorio.choice((0.002, 0.004, 0.006, 0.01, 0.015, 0.03))
        q = round(d * d * aleatorio.uniform(0.2, 1.2), 4)
        yield (f"T{k}", d, 0.013, i, q, round(q * 0.2, 4))


def escribir_tabla(ruta, filas):
    with open(ruta, "w", encoding="utf-8", newline="") as f:
        f.write("tramo;D;n;i;Q;Q3\r\n")
        for t in tramos(filas):
            f.write(";".join(str(x).replace(".", ",") for x in t) + "\r\n")


def escribir_calculos(carpeta, filas):
    rutas = []
    criterio = (carpeta / "criterio.CrVek").read_bytes().split(b"\r\n")
    for tramo, d, n, i, q, q3 in tramos(filas):
        caudales = [q, q, q3, q, q, q, q]
        lineas = [f"{tramo},-,{d},{n},{i}".encode()]
        for k in range(7):
            # Flag, name and limits of the criterion's line k+1, with the reach's flow.
            partes = criterio[k + 1].split(b",")
            lineas.append(b",".join([partes[0], str(caudales[k]).encode(), partes[2],
                                     *partes[3:-1]]))
        for k in range(7, 10):
            partes = criterio[k + 1].split(b",")
            lineas.append(b",".join([partes[0], *partes[1:-1]]))
        ruta = carpeta / f"{tramo}.caVek"
        ruta.write_bytes(b"\r\n".join(lineas) + b"\r\nEOF\r\n")
        rutas.append(str(ruta))
    return rutas


def cronometrar(orden):
    """Wall time and processor time (user + system, s) of one run. On a shared machine the
    processor time tells the work done when the wall time is stretched by other loads."""
    inicio = time.perf_counter()
    hijo = subprocess.Popen(orden, stdout=subprocess.DEVNULL, env=ENTORNO)
    _, estado, uso = os.wait4(hijo.pid, 0)
    real = time.perf_counter() - inicio
    codigo = os.waitstatus_to_exitcode(estado)
    if codigo > 2 or codigo < 0:
        sys.exit(f"falló: {' '.join(orden[:6])}... ({codigo})")
    return real, uso.ru_utime + uso.ru_stime


def pico_memoria(orden):
    r = subprocess.run(["/usr/bin/time", "-v", *orden], stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True, env=ENTORNO)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", r.stderr).group(1))


def main():
    a = argparse.ArgumentParser()
    a.add_argument("check")
    a.add_argument("--filas", type=int, default=100_000)
    a.add_argument("--archivos", type=int, default=20_000)
    a.add_argument("--memoria", default="10000,1000000")
    o = a.parse_args()
    check = os.path.abspath(o.check)
    with tempfile.TemporaryDirectory() as tmp:
        carpeta = pathlib.Path(tmp)
        criterio = carpeta / "criterio.CrVek"
        escribir_criterio(criterio)
        tabla = carpeta / "red.csv"
        escribir_tabla(tabla, o.filas)
        base = [check, "--red", str(tabla), "--criterio", str(criterio), "--json"]

        un_nucleo, cpu1 = cronometrar(["taskset", "-c", "0", *base])
        todos, cpu2 = cronometrar(base)
        print(f"{o.filas} tramos, diez condiciones y pendientes admisibles:")
        print(f"  1 núcleo:  {un_nucleo:8.2f} s  {o.filas / un_nucleo:10.0f} filas/s"
              f"  (procesador {cpu1:.2f} s)")
        print(f"  {os.cpu_count()} núcleos: {todos:8.2f} s  {o.filas / todos:10.0f} filas/s"
              f"  (×{un_nucleo / todos:.2f}; procesador {cpu2:.2f} s)")

        archivos = min(o.archivos, o.filas)
        tabla_corta = carpeta / "red-corta.csv"
        escribir_tabla(tabla_corta, archivos)
        calculos = escribir_calculos(carpeta, archivos)
        red, _ = cronometrar([check, "--red", str(tabla_corta), "--criterio", str(criterio),
                           "--json", "--sin-pendientes"])
        separados, _ = cronometrar([check, "--json", *calculos])
        print(f"{archivos} tramos, --sin-pendientes: --red {red:.2f} s; los mismos como "
              f"cálculos separados {separados:.2f} s (×{red / separados:.2f})")

        for filas in (int(x) for x in o.memoria.split(",")):
            escribir_tabla(tabla, filas)
            pico = pico_memoria([check, "--red", str(tabla), "--criterio", str(criterio),
                                 "--json", "--sin-pendientes"])
            print(f"memoria máxima con {filas} filas (--sin-pendientes): {pico / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
