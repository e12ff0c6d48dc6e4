#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the source release, pythagorean-triple-VERSION.tar.xz, into a folder, and prints its
# path. It holds the committed tree (git archive fills in the commit's time, which the build
# takes as its own); a tree without git, such as an unpacked release, is packed as it stands.
# Build folders never go in, whatever their names. The tests pass --work-tree to pack uncommitted
# changes as well.
# Usage: scripts/dist.sh OUTPUT_DIR [--work-tree]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=$(mkdir -p "$1" && cd "$1" && pwd)
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' "$root/CMakeLists.txt")
name=pythagorean-triple-$version
tarball=$output/$name.tar.xz

cd "$root"
# Wherever a CMake build lies in the tree, whatever its folder's name, it is no part of the source.
builds=()
while IFS= read -r cache; do
    builds+=("${cache%/CMakeCache.txt}")
done < <(find . -path ./.git -prune -o -name CMakeCache.txt -print)
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    tree=HEAD
    if [ "${2:-}" = --work-tree ]; then
        # A commit of the files as they are, untracked ones too, dated as the last commit, so
        # that it builds exactly as the tree beside it does; made in an index of its own, so
        # that nothing staged is touched.
        index=$(mktemp)
        trap 'rm -f "$index"' EXIT
        cp "$(git rev-parse --git-path index)" "$index"
        excluded=()
        for build in "${builds[@]}"; do
            git check-ignore -q "$build" || excluded+=(":(exclude)$build")
        done
        GIT_INDEX_FILE=$index git add --all -- . "${excluded[@]}"
        tree=$(GIT_INDEX_FILE=$index git write-tree)
        tree=$(GIT_COMMITTER_DATE=$(git log -1 --format=%cI) GIT_COMMITTER_NAME=dist \
            GIT_COMMITTER_EMAIL=dist GIT_AUTHOR_NAME=dist GIT_AUTHOR_EMAIL=dist \
            git commit-tree -p HEAD -m dist "$tree")
    fi
    git archive --format=tar --prefix="$name/" "$tree" | xz -9 >"$tarball"
else
    epoch=$(grep -E '^[0-9]+$' cmake/source-date-epoch)
    tar --create --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner \
        "${builds[@]/#/--exclude=}" --exclude='./build' --exclude='./build-*' --exclude=./.cache \
        --exclude=./compile_commands.json --transform="s,^\.,$name," . |
        xz -9 >"$tarball"
fi
echo "$tarball"
