#!/usr/bin/env bash
# Writes everything colvero-check prints (output, errors, exit status) for a fixed set of runs
# over the shipped examples, series and the cases in tests/cli/casos, in both decimal
# separators.
# Run from the top of the source tree: the file paths in the output are relative to it.
#   tests/cli/salidas.sh COLVERO_CHECK > transcript
#   tests/cli/salidas.sh COLVERO_CHECK --comparar tests/cli/salidas-esperadas.txt
set -uo pipefail
export LC_ALL=C
unset LANG LC_NUMERIC
check=$1

ejecutar() {
    local out err codigo
    out=$(mktemp) err=$(mktemp)
    env ${entorno:-} "$check" "$@" >"$out" 2>"$err"
    codigo=$?
    printf '### colvero-check'
    printf ' %q' "$@"
    printf '\n'
    cat "$out"
    printf '\n### errores\n'
    cat "$err"
    printf '### código %d\n' "$codigo"
    rm -f "$out" "$err"
}

transcripcion() {
    local casos=(tests/cli/casos/*.caVek examples/*.caVek)
    local raro=$'tests/cli/casos/no existe "ñ" \\ \t\x01\x1f\x7f\n\xff.caVek'
    for locale in C es_ES; do
        ejecutar --locale "$locale" "${casos[@]}" "$raro" tests/cli/casos
        ejecutar --locale "$locale" --json "${casos[@]}" "$raro" tests/cli/casos
        ejecutar --locale "$locale" --json --criterio examples/criterio-estricto.CrVek \
            "${casos[@]}"
        ejecutar --locale "$locale" --criterio examples/criterio-estricto.CrVek \
            examples/colector-1m.caVek
        for caso in "${casos[@]}" "$raro"; do
            ejecutar --locale "$locale" --informe "$caso"
        done
        ejecutar --locale "$locale" --informe --criterio examples/criterio-estricto.CrVek \
            examples/colector-1m.caVek
    done
    entorno=LC_ALL=es_ES.UTF-8 ejecutar --json examples/colector-1m.caVek
    ejecutar tests/cli/casos/pasa.caVek tests/cli/casos/pasa.caVek
    ejecutar --json --criterio tests/cli/casos/no-existe.CrVek examples/colector-1m.caVek
    ejecutar --json --criterio tests/cli/casos/pasa.caVek examples/colector-1m.caVek
    ejecutar
    ejecutar --json --informe examples/colector-1m.caVek
    ejecutar --desconocida examples/colector-1m.caVek
    ejecutar examples/colector-1m.caVek --criterio
    ejecutar --json=1 examples/colector-1m.caVek
    ejecutar --help
    for locale in C es_ES; do
        ejecutar --locale "$locale" --pendientes "${casos[@]}" "$raro"
        ejecutar --locale "$locale" --pendientes --json "${casos[@]}" "$raro"
        ejecutar --locale "$locale" --diametros series/hormigon-dn.txt \
            examples/colector-1m.caVek tests/cli/casos/no-cumple.caVek
        ejecutar --locale "$locale" --json --diametros series/pvc-sn4.txt \
            --criterio examples/criterio-estricto.CrVek "${casos[@]}"
    done
    ejecutar --pendientes --informe examples/colector-1m.caVek
    ejecutar --pendientes --diametros series/pvc-sn4.txt examples/colector-1m.caVek
    ejecutar --diametros tests/cli/casos/no-existe.txt examples/colector-1m.caVek
    ejecutar --diametros tests/cli/casos/pasa.caVek examples/colector-1m.caVek
    ejecutar examples/colector-1m.caVek --diametros
    ejecutar --pendientes=1 examples/colector-1m.caVek
    ejecutar --diametros hormigon examples/colector-1m.caVek
    ejecutar --diametros hormigón examples/colector-1m.caVek
    ejecutar --plantilla examples/colector-1m-punta.caVek examples/colector-1m.caVek
    ejecutar --plantilla examples/criterio-estricto.CrVek examples/colector-1m.caVek
    ejecutar --locale xx_ZZ examples/colector-1m.caVek
    ejecutar examples/red-ejemplo-coma.csv
    ejecutar --red examples/red-ejemplo-coma.csv
    local modelo=(--red tests/cli/casos/red-modelo.inp --hipotesis tests/cli/casos/red-hipotesis.txt
        --criterio examples/criterio-red.CrVek)
    ejecutar "${modelo[@]}"
    ejecutar --locale es_ES --json "${modelo[@]}"
    ejecutar --red examples/red-ejemplo-coma.csv --rpt tests/cli/casos/red-hipotesis.txt
    ejecutar --version
}

if [[ ${2:-} == --comparar ]]; then
    cmp <(transcripcion) "$3"
else
    transcripcion
fi
