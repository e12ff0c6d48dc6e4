#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Lighthouse, at the version the bench was written for, from npm into a cache outside the
# work tree, once; prints the path of its command. Only the bench uses it.
# Usage: bench/lighthouse.sh
set -euo pipefail

version=12.8.2
prefix=${XDG_CACHE_HOME:-$HOME/.cache}/pythagorean-triple/lighthouse-$version
if [ ! -x "$prefix/node_modules/.bin/lighthouse" ]; then
    mkdir -p "$prefix"
    npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error "lighthouse@$version" >&2
fi
echo "$prefix/node_modules/.bin/lighthouse"
