#!/usr/bin/env bash
# Checks the control data and contents of the Debian package that
# scripts/package wrote into PACKAGE_DIR. With --lintian it runs lintian on
# the package instead, which must report neither errors nor warnings;
# without lintian installed that is skipped (exit status 77).
#
#   package_test.sh PACKAGE_DIR [--lintian]
set -euo pipefail

mode="${2:-}"
if [ "$mode" = --lintian ] && ! command -v lintian > /dev/null; then
    echo "lintian is not installed"
    exit 77
fi
deb="$(ls "$1"/joystick-monitor_*.deb)"
if [ "$mode" = --lintian ]; then
    lintian --fail-on error,warning "$deb"
    echo "lintian accepts $(basename "$deb")"
    exit 0
fi
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
expect_control '^ Recommends: fonts-liberation$'
expect_control '^ Suggests: qt6-wayland$'
expect_content ./usr/bin/joystick-monitor
expect_content ./usr/bin/joystick-log
expect_content ./usr/bin/joystick-stats
expect_content ./usr/bin/joystick-gamepad
expect_content ./usr/share/applications/io.github.torvenk.JoystickMonitor.desktop
expect_content ./usr/share/icons/hicolor/scalable/apps/io.github.torvenk.JoystickMonitor.svg
expect_content ./usr/share/metainfo/io.github.torvenk.JoystickMonitor.metainfo.xml
for program in joystick-monitor joystick-log joystick-stats joystick-gamepad joystick-monitor-demo joystick-board-sim; do
    expect_content "./usr/share/man/man1/$program.1.gz"
done
expect_content ./usr/share/doc/joystick-monitor/copyright
expect_content ./usr/share/doc/joystick-monitor/changelog.gz

# The udev rule that gives the user at the seat /dev/uinput: one rule, the
# rest comments, for the node made before the module too.
rules=./usr/lib/udev/rules.d/60-io.github.torvenk.JoystickMonitor-uinput.rules
expect_content "$rules"
rule_lines="$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "$rules" | grep -v -e '^#' -e '^$')" || true
[ "$rule_lines" = 'KERNEL=="uinput", SUBSYSTEM=="misc", TAG+="uaccess", OPTIONS+="static_node=uinput"' ] ||
    { echo "udev rule is not the uinput rule: $rule_lines"; status=1; }

version="$(sed -n 's/^ Version: //p' <<< "$control")"
latest="$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/joystick-monitor/changelog.gz | zcat | sed -n 1p)"
grep -q "^joystick-monitor ($version)" <<< "$latest" || { echo "changelog's latest entry is not $version: $latest"; status=1; }

[ "$status" -eq 0 ] && echo "package $(basename "$deb") complete"
[ "$status" -eq 0 ] || echo "$control"
exit "$status"
