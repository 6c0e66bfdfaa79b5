#!/usr/bin/env bash
# Builds the Debian package and checks its control data and contents.
#
#   package_test.sh BUILD_DIR
set -euo pipefail

build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" > "$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb="$(ls "$out"/joystick-monitor_*.deb)"
control="$(dpkg-deb -I "$deb")"
contents="$(dpkg-deb -c "$deb")"
status=0

expect_control() {
    grep -Eq "$1" <<< "$control" || { echo "control file lacks: $1"; status=1; }
}
expect_content() {
    grep -q -- "$1" <<< "$contents" || { echo "package lacks: $1"; status=1; }
}

expect_control '^ Package: joystick-monitor$'
expect_control '^ Version: [0-9]+\.[0-9]+\.[0-9]+'
expect_control '^ Architecture: '
expect_control '^ Depends: .*libqt6serialport6'
expect_control '^ Depends: .*libqt6widgets6'
expect_control '^ Depends: .*libc6'
expect_control '^ Recommends: fonts-liberation'
expect_content ./usr/bin/joystick-monitor
expect_content ./usr/share/applications/io.github.torvenk.JoystickMonitor.desktop
expect_content ./usr/share/icons/hicolor/scalable/apps/io.github.torvenk.JoystickMonitor.svg
expect_content ./usr/share/metainfo/io.github.torvenk.JoystickMonitor.metainfo.xml
expect_content ./usr/share/man/man1/joystick-monitor.1

[ "$status" -eq 0 ] && echo "package $(basename "$deb") complete"
[ "$status" -eq 0 ] || echo "$control"
exit "$status"
