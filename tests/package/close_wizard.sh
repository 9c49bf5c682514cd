#!/usr/bin/env bash
# Runs on a virtual display (xvfb-run): starts the wizard given, waits for
# its window, presses Cancel from the keyboard as a user would and waits for
# the program to end. An error box at exit would keep it running. Exits with
# the wizard's status, or 124 when it hangs: the time limits only end a hang,
# they do not time the wizard.
# Usage: close_wizard.sh PROGRAM LOG
set -u
timeout 120 "$1" >"$2" 2>&1 &
pid=$!
id=$(timeout 120 xdotool search --sync --onlyvisible --name "Zephyrix Trailwright" | head -n 1)
if [[ -z $id ]]; then
    kill "$pid" 2>/dev/null
    echo "no window appeared" >>"$2"
    exit 125
fi
# Once the window has the focus, the start-up has run and put the focus into
# the index page field. Two steps back in the Tab order, past the Help label
# at its start, is Cancel, the window's last control.
xdotool windowfocus --sync "$id" key shift+Tab shift+Tab space
wait "$pid"
