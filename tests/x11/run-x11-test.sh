#!/usr/bin/env bash
# The real program on a real X server: Xvfb with the xcb platform, not the
# offscreen one. It starts the demo, finds the main window, chooses the
# keyboard, applies, and leaves by the exit button; the program's log shows
# each step and the virtual keyboard's state is stored at the end.
#   tests/x11/run-x11-test.sh BUILD_DIR [SCREENSHOT.png]
# Exit 77 (skipped) where Xvfb or xdotool is missing.
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
SHOT=${2:-}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "x11 test skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# An application folder of the build's own files, with a cfg.ini whose exit
# button ends the program (no tray icon: a bare X server has no tray).
mkdir -p "$tmp/app" "$tmp/user" "$tmp/home" "$tmp/run"
chmod 700 "$tmp/run"
for f in "$BUILD"/app/*; do
    [ "$(basename "$f")" = cfg.ini ] || ln -s "$f" "$tmp/app/"
done
sed -e 's/^TrayIcon=.*/TrayIcon=0/' "$BUILD/app/cfg.ini" >"$tmp/app/cfg.ini"

# A free display number.
for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
# Allocations the X and D-Bus libraries keep for the life of the process.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/../lsan.supp:print_suppressions=0"

log="$tmp/user/Log.txt"
wait_log() {  # text, seconds
    local i
    for i in $(seq $(( $2 * 10 ))); do
        grep -q -- "$1" "$log" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "x11 test: \"$1\" never appeared in the log"; cat "$log" 2>/dev/null | tail -30
    return 1
}

HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" QT_QPA_PLATFORM=xcb \
    "$BUILD/app/zorvik" --demo --app-dir "$tmp/app" --user-dir "$tmp/user" >"$tmp/app.log" 2>&1 &
app_pid=$!

wait_log "Main window shown" 20
title=$(sed -n 's/.*Title=\(.*\)$/\1/p' "$log" | head -1)
wid=$(timeout 10 xdotool search --sync --onlyvisible --name "^${title}\$" | head -1)
[ -n "$wid" ] || { echo "x11 test: no window titled $title"; exit 1; }
echo "x11 test: window $wid titled $title"

# The device selectors, the apply and the exit button, where the skin puts them.
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }
wait_log "DeviceHub: keyboard found=1" 10
wait_log "DeviceHub: wired mouse found=1" 10
wait_log "DeviceHub: mouse pad found=1" 10
click 118 48
wait_log "SwitchDevice nDev=2, m_nCurDev=1" 5
click 988 782
wait_log "User click apply" 5
wait_log "Apply Over" 20
wait_log "Apply finished: written" 10
if [ -n "$SHOT" ]; then
    sleep 0.3
    xwd -root -display "$display" -silent >"$tmp/root.xwd" && convert "xwd:$tmp/root.xwd" "$SHOT" || true
fi
click 1043 18
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
    echo "x11 test: the exit button did not end the program"; tail -15 "$log" | cut -c1-150; exit 1
fi
wait "$app_pid" || { echo "x11 test: the program failed"; cat "$tmp/app.log"; exit 1; }
app_pid=""
grep -q "Driver exit" "$log" || { echo "x11 test: no orderly exit"; exit 1; }
ls "$tmp/user/emu/"*.state >/dev/null 2>&1 || { echo "x11 test: the virtual devices' state was not stored"; exit 1; }
echo "x11 test: PASSED"
