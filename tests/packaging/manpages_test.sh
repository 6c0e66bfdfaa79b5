#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the man page of
# each installed program names every long option the program's --help lists.
#
#   manpages_test.sh BUILD_DIR
set -euo pipefail

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" > /dev/null

status=0
for program in "$prefix"/bin/*; do
    name="$(basename "$program")"
    page="$(LC_ALL=C MANWIDTH=200 man -l "$prefix/share/man/man1/$name.1.gz")"
    listed="$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+')"
    for option in $listed; do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<< "$page" || { echo "$name(1) lacks $option"; status=1; }
    done
done
[ "$status" -eq 0 ] && echo "every listed option documented"
exit "$status"
