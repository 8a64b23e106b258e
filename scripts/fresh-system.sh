#!/usr/bin/env bash
# Runs a command in a fresh, minimal Debian bookworm system, as a new user's
# machine would be: a debootstrap minbase with only git and ca-certificates
# added, holding a clean clone of this checkout's committed HEAD at /src.
#
#   scripts/fresh-system.sh 'scripts/test.sh'
#
# A package that the install script forgets is then missing here too, where
# a machine that already has it would hide the fault. The base system is
# built once and kept as a tarball under /tmp; downloaded packages are kept
# beside it, so later runs install from there (they still install every
# package). Needs root. Exit status: the command's.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$#" -eq 1 ] || { echo "usage: $0 'COMMAND'" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (debootstrap, chroot, mounts)" >&2; exit 2; }

cache=${QUILLFEN_FRESH_CACHE:-/tmp/quillfen-fresh}
base=$cache/bookworm-minbase.tar
archives=$cache/apt-archives
mkdir -p "$archives/partial"
mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)

root=$(mktemp -d /tmp/quillfen-fresh-root.XXXX)
cleanup() {
    # Whatever the command left running inside (a display server, say) goes
    # first, so that nothing keeps the mounts busy.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2>/dev/null
    done
    sleep 1
    for m in var/cache/apt/archives tmp sys dev proc; do
        umount -R "$root/$m" 2>/dev/null || umount -R -l "$root/$m" 2>/dev/null || true
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT

started=$(date +%s)
if [ ! -f "$base" ]; then
    command -v debootstrap >/dev/null || {
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
    }
    echo "fresh-system: building the bookworm base system (kept in $base)"
    debootstrap --variant=minbase --include=ca-certificates,git bookworm "$root" ${mirror:+"$mirror"} \
        >"$cache/debootstrap.log" 2>&1 || {
        tail -n 20 "$cache/debootstrap.log" >&2
        echo "fresh-system: debootstrap failed" >&2
        exit 3
    }
    # The host's package sources, so that the system sees the same archive.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
        rm -f "$root/etc/apt/sources.list"
    fi
    tar -C "$root" -cf "$base.partial" . && mv "$base.partial" "$base"
else
    tar -C "$root" -xf "$base"
fi
chmod 755 "$root"
echo "fresh-system: base system ready in $(($(date +%s) - started)) s"

git clone -q "$PWD" "$root/src"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount -t sysfs sys "$root/sys"
mount -t tmpfs tmpfs "$root/tmp"
mount --bind "$archives" "$root/var/cache/apt/archives"

status=0
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /src && $1" || status=$?
echo "fresh-system: '$1' ended with status $status after $(($(date +%s) - started)) s"
exit "$status"
