#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree:
# the programs and their man pages, a valid desktop entry, icon, metainfo,
# the udev rule for uinput and the copyright file.
#
#   install_test.sh BUILD_DIR
set -euo pipefail

build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
app_id=io.github.torvenk.JoystickMonitor

cmake --install "$build" --prefix "$prefix" > /dev/null

expected=(
    bin/joystick-monitor
    bin/joystick-log
    bin/joystick-stats
    bin/joystick-gamepad
    bin/joystick-monitor-demo
    bin/joystick-board-sim
    "share/applications/$app_id.desktop"
    "share/icons/hicolor/scalable/apps/$app_id.svg"
    "share/metainfo/$app_id.metainfo.xml"
    share/doc/joystick-monitor/copyright
    "lib/udev/rules.d/60-$app_id-uinput.rules"
)
status=0
for path in "${expected[@]}"; do
    if [ ! -e "$prefix/$path" ]; then
        echo "missing from the installed tree: $path"
        status=1
    fi
done
for program in joystick-monitor joystick-log joystick-stats joystick-gamepad joystick-monitor-demo joystick-board-sim; do
    [ -x "$prefix/bin/$program" ] || { echo "not executable: bin/$program"; status=1; }
    man -l "$prefix/share/man/man1/$program.1.gz" > /dev/null || { echo "no man page for $program"; status=1; }
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || status=1
grep -qx "Exec=joystick-monitor" "$prefix/share/applications/$app_id.desktop" || { echo "desktop entry runs something else"; status=1; }
grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || { echo "desktop entry names another icon"; status=1; }
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || status=1
man_text="$(MANWIDTH=80 man -l "$prefix/share/man/man1/joystick-monitor.1.gz" 2>&1)"
for needle in "COM NUMBERS ON LINUX" "dialout" "/dev/ttyUSB0"; do
    grep -q -- "$needle" <<< "$man_text" || { echo "man page lacks: $needle"; status=1; }
done

[ "$status" -eq 0 ] && echo "installed tree complete"
exit "$status"
