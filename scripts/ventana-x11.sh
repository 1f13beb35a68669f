# Helpers to drive the real window under an X server with xdotool; sourced by the end-to-end
# test and the screenshot script. The window sits at 0,0 without decorations (no window
# manager), so client coordinates are screen coordinates; 15 twips are one pixel.

# abrir_ventana PROGRAM [ARG...]: starts it, sets $pid and $win.
abrir_ventana() {
    "$@" &
    pid=$!
    win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Colvero 2$' | head -n 1)
    [ -n "$win" ] || return 1
    sleep 0.5
}

# pulsar LEFT TOP WIDTH HEIGHT: clicks the centre of a control given in twips.
pulsar() {
    xdotool mousemove --sync $(($1 / 15 + $3 / 30)) $(($2 / 15 + $4 / 30)) click 1
}

# escribir LEFT TOP WIDTH TEXT: replaces the text of a text box (height 285 twips).
escribir() {
    pulsar "$1" "$2" "$3" 285
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 15 "$4"
}

# escribir_caso_ejemplo: types the example case of the README's screenshots with decimal commas
# (D = 1 m, n = 0,013, i = 0,005, every flow 1 m3/s, limits that every condition meets).
escribir_caso_ejemplo() {
    escribir 2100 4635 5580 "Colector general, tramo 3-4"
    escribir 2100 5070 5580 "Proyecto de saneamiento de ejemplo"
    escribir 11220 4575 1005 "1"
    escribir 11220 4890 1005 "0,013"
    escribir 11220 5235 1005 "0,005"
    for top in 5895 6315 6735 7155 7920 8670 8985; do
        escribir 3555 "$top" 585 "1"
    done
    escribir 9630 6315 585 "3"      # Vmax
    escribir 9630 6735 585 "0,6"    # Vmin
    escribir 9630 7155 585 "75"     # y/D max
    escribir 9630 7590 585 "2,65"   # particle
    escribir 9630 7905 585 "1"      # water
    escribir 9630 8220 585 "10"     # dp
    escribir 9630 8670 585 "1"      # Fmin
    escribir 9630 8985 585 "2"      # Fmax
    escribir 9630 9450 645 "0,004"  # Imin
    escribir 9630 9765 645 "0,01"   # Imax
    escribir 9630 10125 585 "50"    # y/D
    escribir 9630 10440 585 "0,6"   # v min
}
