# Sourced by the Wine checks: a fresh Wine prefix in a work folder, and a
# private Xvfb display.

# wine_prepare NAME: sets `work` to a new folder and the Wine environment;
# `game_pid` and `xvfb_pid` start empty.
wine_prepare() {
    work=$(mktemp -d "/tmp/$1.XXXXXX")
    game_pid=""
    xvfb_pid=""
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all
    # Keep Wine from asking to install Mono or Gecko in the fresh prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # A prefix made once for the whole run (scripts/test-all.sh) is copied:
    # making one costs several seconds of wineboot per check.
    if [ -n "${TERVANNE_WINE_TEMPLATE:-}" ] && [ -f "$TERVANNE_WINE_TEMPLATE/system.reg" ]; then
        cp -a "$TERVANNE_WINE_TEMPLATE" "$WINEPREFIX"
    fi
}

# wine_make_template DIR: a fresh prefix in DIR, ready to be copied by
# wine_prepare (export TERVANNE_WINE_TEMPLATE=DIR).
wine_make_template() {
    (
        export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        wineboot -i >/dev/null 2>&1
        wineserver -w 2>/dev/null
    )
    [ -f "$1/system.reg" ]
}

# start_private_display FIRST LAST [SCREEN]: Xvfb on the first free display
# number of the range; sets DISPLAY and xvfb_pid; fails when none starts.
start_private_display() {
    local n
    for n in $(seq "$1" "$2"); do
        { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
        Xvfb ":$n" -screen 0 "${3:-1920x1080x24}" -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        xvfb_pid=""
    done
    return 1
}

# wine_stop: ends the program started in the background (game_pid), Wine and
# the private display (xvfb_pid), whichever are running.
wine_stop() {
    [ -n "${game_pid:-}" ] && kill "$game_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
