#!/usr/bin/env bash
# Runs on a virtual display (xvfb-run): starts the wizard given, waits for
# its window, clicks Cancel as a user would and waits for the program to
# end. An error box at exit would keep it running. Exits with the wizard's
# status, or 124 when it is still running after ten seconds.
# Usage: close_wizard.sh PROGRAM LOG
set -u
"$1" >"$2" 2>&1 &
pid=$!
id=$(timeout 20 xdotool search --sync --onlyvisible --name "Zephyrix Trailwright" | head -n 1)
if [[ -z $id ]]; then
    kill "$pid" 2>/dev/null
    echo "no window appeared" >>"$2"
    exit 125
fi
eval "$(xdotool getwindowgeometry --shell "$id")"
# Cancel is the last button of the bottom row.
xdotool mousemove --window "$id" $((WIDTH - 50)) $((HEIGHT - 20)) click 1
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    exit 124
fi
wait "$pid"
