#!/usr/bin/env bash
# quillfen-cli starts fast because it loads no GUI library: none of Qt Gui,
# Widgets or D-Bus, OpenGL or X may be among the libraries it loads; nor
# libzip and the libcrypto it brings, loaded at the first archive. (What
# poppler-qt6 brings is left aside while the PDF reader is built on it.)
# usage: cli_libraries.sh QUILLFEN-CLI
set -u
loaded=$(ldd "$1" | awk '{print $1}' | sort -u)
if poppler=$(ldd "$1" | awk '$1 ~ /^libpoppler-qt6/ {print $3}') && [ -n "$poppler" ]; then
    loaded=$(comm -23 <(echo "$loaded") <(ldd "$poppler" | awk '{print $1}' | sort -u))
fi
gui=$(echo "$loaded" | grep -E '^lib(Qt6(Gui|Widgets|DBus|OpenGL)|GL|GLX|OpenGL|EGL|X11|xcb|dbus)[.-]' || true)
if [ -n "$gui" ]; then
    echo "quillfen-cli loads GUI libraries:" $gui
    exit 1
fi
late=$(echo "$loaded" | grep -E '^lib(zip|crypto)[.-]' || true)
if [ -n "$late" ]; then
    echo "quillfen-cli loads at its start what it needs only for archives:" $late
    exit 1
fi
echo "quillfen-cli loads no GUI library, and libzip only at the first archive"
