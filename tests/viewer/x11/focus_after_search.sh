#!/usr/bin/env bash
# The viewer under a real X server with a window manager, as a user drives
# it: after "Строка не найдена" is closed, the keyboard still reaches the
# main window, every time. Skips (77) where Xvfb, openbox or xdotool is missing.
set -u
VERLUMO="${1:?usage: focus_after_search.sh VERLUMO DATABASE_DIR}"
DB="${2:?usage: focus_after_search.sh VERLUMO DATABASE_DIR}"
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display nobody else uses.
for n in $(seq 40 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

cd "$DB" || exit 1
VERLUMO_REGISTRY_DIR="$work/registry" XDG_RUNTIME_DIR="$work" "$VERLUMO" >"$work/out" 2>&1 &
pids+=($!)
# The main window is the one with the keyboard once it has appeared.
main=""
for _ in $(seq 100); do
    focused="$(xdotool getwindowfocus 2>/dev/null)"
    case "$(xdotool getwindowname "$focused" 2>/dev/null)" in
    *КОРВ*) main="$focused"; break ;;
    esac
    sleep 0.1
done
[ -n "$main" ] || { echo "the main window did not get the keyboard"; cat "$work/out"; exit 1; }
sleep 0.5

failures=0
for i in $(seq 1 8); do
    # "Поиск по основным данным" has no key of its own: the mouse goes to the
    # middle of the button (template units 156, 116, 143 x 14 are 234, 188,
    # 214 x 23 pixels).
    xdotool mousemove --window "$main" 342 200 click 1
    sleep 0.5
    xdotool type --delay 20 "zzzz"
    xdotool key Return
    sleep 0.5
    xdotool key Return # closes "Строка не найдена"
    sleep 0.5
    focused="$(xdotool getwindowfocus 2>/dev/null)"
    if [ "$focused" != "$main" ]; then
        echo "round $i: the keyboard went to window $focused, not the main window $main"
        failures=$((failures + 1))
    fi
done
xdotool key Escape
[ $failures -eq 0 ] && echo "the main window had the keyboard after every search"
exit $((failures != 0))
