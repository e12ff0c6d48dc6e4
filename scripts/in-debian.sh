#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Runs a command as root in a Debian system of another release, to build and test there what we
# build here. The system is made once with mmdebstrap from the archive this machine's apt uses,
# kept in ~/.cache/pythagorean-triple/debian-RELEASE and brought up to date on every run. The
# work tree appears at the same path inside; the release's builds go to build-debianRELEASE*,
# since a build folder's compiler and Qt are those of the system that configured it.
# Usage: scripts/in-debian.sh 12|13 COMMAND [ARG...]   (as root)
set -euo pipefail

release=${1:-}
case "$release" in
12) codename=bookworm ;;
13) codename=trixie ;;
*)
    echo "usage: $0 12|13 COMMAND [ARG...]" >&2
    exit 2
    ;;
esac
shift
[ $# -gt 0 ] || set -- bash
if [ "$(id -u)" -ne 0 ]; then
    echo "$0: mounting and chroot need root" >&2
    exit 1
fi
tree=$(cd "$(dirname "$0")/.." && pwd)
root=${XDG_CACHE_HOME:-$HOME/.cache}/pythagorean-triple/debian-$release
# One run at a time in a system: two would make it, or run apt in it, at once.
mkdir -p "$(dirname "$root")"
exec {lock}>"$root.lock"
flock "$lock"

if [ ! -x "$root/usr/bin/apt-get" ]; then
    command -v mmdebstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends mmdebstrap
    # The sites that this machine's own release comes from, with the other release's suites.
    . /etc/os-release
    site() {
        apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' "Release: $1" | sed -n 1p
    }
    debian=$(site "$VERSION_CODENAME")
    security=$(site "$VERSION_CODENAME-security")
    if [ -z "$debian" ]; then
        echo "$0: this machine's apt names no archive for $VERSION_CODENAME; add one to its" \
            "sources (and run apt-get update), so that the $codename system comes from it too" >&2
        exit 1
    fi
    sources=("deb $debian $codename main" "deb $debian $codename-updates main")
    [ -z "$security" ] || sources+=("deb $security $codename-security main")
    # Built aside and moved in place whole, so that an interrupted run leaves nothing half made.
    rm -rf "$root.new"
    # With git, as a clone's tree comes, for what reads the tree's history.
    mmdebstrap --variant=apt --include=make,passwd,git "$codename" "$root.new" "${sources[@]}"
    # Package scripts must not start services of the chroot on the machine.
    printf '#!/bin/sh\nexit 101\n' >"$root.new/usr/sbin/policy-rc.d"
    chmod 755 "$root.new/usr/sbin/policy-rc.d"
    mv "$root.new" "$root"
fi

mounted=()
cleanup() {
    local status=$? proc index
    # What the command left running there, when it is interrupted, would keep the mounts busy.
    for proc in /proc/[0-9]*; do
        if [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ]; then
            kill -KILL "${proc#/proc/}" 2>/dev/null || true
        fi
    done
    for ((index = ${#mounted[@]} - 1; index >= 0; index--)); do
        umount --recursive "${mounted[index]}" || umount --recursive --lazy "${mounted[index]}"
    done
    exit "$status"
}
trap cleanup EXIT
mount_at() { # TARGET MOUNT-ARGUMENTS...
    mkdir -p "$root$1"
    mount "${@:2}" "$root$1"
    mounted+=("$root$1")
}
mount_at /proc -t proc proc
mount_at /sys -t sysfs sysfs
mount_at /dev --rbind /dev
mount --make-rslave "$root/dev"
mount_at /dev/shm -t tmpfs tmpfs
mount_at /tmp -t tmpfs tmpfs
mount_at "$tree" --bind "$tree"
# A linked work tree's repository lies outside it.
repository=$(git -C "$tree" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
case "$repository" in
"" | "$tree"/*) ;;
*) mount_at "$repository" --bind "$repository" ;;
esac
cp /etc/resolv.conf "$root/etc/resolv.conf"

in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        TERM="${TERM:-dumb}" DEBIAN_FRONTEND=noninteractive BUILD_DIR="build-debian$release" "$@"
}
in_root sh -c 'apt-get update -qq && apt-get upgrade -y -qq'
in_root sh -c 'cd "$0" && exec "$@"' "$tree" "$@"
