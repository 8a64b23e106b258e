#!/usr/bin/env bash
# Reads the results list of a real window through AT-SPI, as Orca would:
# a virtual display, a session bus with the accessibility bus, the window
# with Qt's accessibility on, and tests/accessibility/read_results.py.
# Needs python3-pyatspi, at-spi2-core and xvfb (not part of the suite).
#   tests/accessibility/read-results.sh [build/bin/quillfen]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ "${1:-}" = "--inside" ]; then
    program="$2"
    export XDG_CONFIG_HOME="$(mktemp -d)"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    /usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
    bus=$!
    "$program" &
    window=$!
    status=0
    /usr/bin/python3 "$here/read_results.py" "$(basename "$program")" || status=$?
    kill "$window" "$bus" 2>/dev/null || true
    rm -rf "$XDG_CONFIG_HOME"
    exit "$status"
fi
program="$(realpath "${1:-$here/../../build/bin/quillfen}")"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "read-results.sh: install python3-pyatspi first" >&2; exit 2; }
exec xvfb-run -a dbus-run-session -- "$0" --inside "$program" 2> >(grep -v -E "dbus-daemon|XDG_RUNTIME_DIR|SpiRegistry" >&2)
