#!/usr/bin/env bash
# Starts the Linux build in a real window, lets it run frames, closes it
# through the quit event and checks the exit code and the log beside it.
set -u
exe="$1"
if [ -z "${DISPLAY:-}" ]; then echo "SKIP: no DISPLAY"; exit 0; fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/Tervanne"
log="$dir/tervanne-journal.txt"
fail=0
check() { if eval "$2"; then echo "PASS: $1"; else echo "FAIL: $1"; fail=1; fi; }

SDL_AUDIODRIVER=dummy "$dir/Tervanne" &
pid=$!
for _ in $(seq 1 3000); do  # a cold shader cache takes minutes on llvmpipe
  grep -q "Monde prêt" "$log" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
check "the world is built and logged" 'grep -q "^Monde prêt : [0-9]* obstacles\.$(printf "\r")$" "$log"'
# Let it run frames, then look at the window as a player would.
sleep 2
check "the window exists" 'xwininfo -root -tree 2>/dev/null | grep -q "\"Tervanne\""'
if command -v import >/dev/null; then import -window root "$(dirname "$exe")/native_window.png" 2>/dev/null; fi
# A second game in the same folder says so and stops before touching a file:
# the first one's log and character files stay its own.
log_before=$(md5sum <"$log")
SDL_AUDIODRIVER=dummy timeout 60 "$dir/Tervanne" >"$dir/second.out" 2>&1 </dev/null &
second_pid=$!
# Where the display can show it, the second game's message box waits for a
# player's OK: the small "Tervanne" window gets the Return key a player would press.
for _ in $(seq 1 600); do
  kill -0 "$second_pid" 2>/dev/null || break
  if grep -q "déjà lancé" "$dir/second.out" 2>/dev/null && command -v xdotool >/dev/null; then
    xwininfo -root -tree 2>/dev/null | grep '"Tervanne"' | while read -r id _ rest; do
      width=$(echo "$rest" | grep -oE '[0-9]+x[0-9]+\+' | head -1 | cut -dx -f1)
      [ -n "$width" ] && [ "$width" -lt 800 ] && xdotool key --window "$id" Return 2>/dev/null
    done
  fi
  sleep 0.1
done
wait "$second_pid"
second=$?
check "a second game in the folder stops (exit $second)" '[ "$second" = 1 ]'
check "and says why" 'grep -q "^Tervanne est déjà lancé dans ce dossier\.$" "$dir/second.out"'
check "and leaves the log alone" '[ "$(md5sum <"$log")" = "$log_before" ]'
check "the first game still runs" 'kill -0 "$pid" 2>/dev/null'
# SIGTERM becomes SDL's quit event: the same path as the close button.
kill -TERM "$pid" 2>/dev/null
code=124
# A frame of the software renderer can take seconds on a loaded machine.
for _ in $(seq 1 600); do
  if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; code=$?; break; fi
  sleep 0.1
done
[ "$code" = 124 ] && kill -KILL "$pid" 2>/dev/null
check "exit code 0 after the quit event (got $code)" '[ "$code" = 0 ]'
check "every log line ends with CR LF" '! grep -q -v "$(printf "\r")$" "$log"'
check "the GL banner is logged" 'grep -q "^OpenGL : .* — .*, anticrénelage ×[0-9]" "$log"'
check "no shader error and no missing GL function" '! grep -q -E "Erreur de shader|fonction absente" "$log"'
cat "$log" | tr -d '\r' | sed 's/^/  log: /'
exit $fail
