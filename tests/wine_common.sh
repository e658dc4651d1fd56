# Sourced by the Wine checks: a fresh Wine prefix in a work folder, and a
# private Xvfb display.

# wine_prepare NAME: sets `work` to a new folder and the Wine environment.
wine_prepare() {
    work=$(mktemp -d "/tmp/$1.XXXXXX")
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all
    # Keep Wine from asking to install Mono or Gecko in the fresh prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# start_private_display FIRST LAST [SCREEN]: Xvfb on the first free display
# number of the range; sets DISPLAY and xvfb_pid; fails when none starts.
start_private_display() {
    local n
    for n in $(seq "$1" "$2"); do
        { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
        Xvfb ":$n" -screen 0 "${3:-1920x1080x24}" -nolisten tcp >/dev/null 2>&1 &
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
