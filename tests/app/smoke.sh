#!/usr/bin/env bash
# Starts the real program on a virtual X display, waits for its main
# window, closes it as a user would and expects the program to end with
# status 0 on its own.
# usage: smoke.sh QUILLFEN CLOSE-WINDOW
set -u
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1" &
    pid=$!
    if ! "$2" Quillfen 60; then
        kill "$pid" 2>/dev/null
        exit 1
    fi
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "the program still runs after its window was closed"
        kill "$pid"
        exit 1
    fi
    wait "$pid"
    status=$?
    echo "the program ended with status $status"
    exit "$status"
' smoke "$1" "$2"
