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
