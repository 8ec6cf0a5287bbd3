#!/usr/bin/env bash
# Takes the README's screenshots of the windowed application under a virtual
# display: a machine of forged drives (tools/twdr-forge captures replayed by
# the real smartctl), private XDG folders, no window manager (windows are
# captured without frames).
#
#   docs/screenshots/take.sh [BUILD_DIR]
#
# Needs xvfb-run, xdotool and ImageMagick's import (Debian: xvfb xdotool
# imagemagick); only for the documentation, not for building or testing.
set -euo pipefail
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "take.sh: $tool is missing" >&2; exit 1; }
done
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
out=$root/docs/screenshots

source "$root/scripts/private-desktop.sh"
private_desktop "$0" "$build"
mkdir -p "$work/drives"

forge=$build/tools/twdr-forge/twdr-forge
examples=$root/tools/twdr-forge/examples
"$forge" "$examples/ssd.json" -o "$work/drives/nvme0n1.twdr" >/dev/null
"$forge" "$examples/healthy.json" -o "$work/drives/sda.twdr" >/dev/null
"$forge" "$examples/failing-health.json" -o "$work/drives/sdb.twdr" >/dev/null
cat >"$work/lsblk.txt" <<'LIST'
NAME="nvme0n1" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/nvme0n1"
NAME="nvme0n1p1" TYPE="part" PKNAME="nvme0n1" MOUNTPOINT="/" LABEL="System" PATH="/dev/nvme0n1p1"
NAME="sda" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/sda"
NAME="sda1" TYPE="part" PKNAME="sda" MOUNTPOINT="/srv/photos" LABEL="Photos" PATH="/dev/sda1"
NAME="sda2" TYPE="part" PKNAME="sda" MOUNTPOINT="/srv/backup" LABEL="Backup" PATH="/dev/sda2"
NAME="sdb" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/sdb"
NAME="sdb1" TYPE="part" PKNAME="sdb" MOUNTPOINT="/media/archive" LABEL="Archive" PATH="/dev/sdb1"
LIST
printf '#!/bin/sh\nexec cat %q\n' "$work/lsblk.txt" >"$work/lsblk"
cat >"$work/smartctl" <<SMARTCTL
#!/bin/bash
device="\${@: -1}"
case "\$device" in /dev/*) ;; *) exec /usr/sbin/smartctl "\$@";; esac
set -- "\${@:1:\$#-1}"
exec /usr/sbin/smartctl "\$@" - < "$work/drives/\$(basename "\$device").twdr"
SMARTCTL
chmod +x "$work/lsblk" "$work/smartctl"

"$build/app/tarnwell" --lsblk "$work/lsblk" --smartctl "$work/smartctl" &
app_pid=$!

shoot() { # window-name-pattern file
    local id
    id=$(xdotool search --sync --onlyvisible --name "$1" | head -1)
    sleep 1
    import -window "$id" "$out/$2"
    echo "wrote docs/screenshots/$2"
}
shoot 'Last Update' main-window.png
main=$(xdotool search --onlyvisible --name 'Last Update' | head -1)
xdotool windowfocus --sync "$main"
xdotool key ctrl+comma
shoot 'Tarnwell Preferences' preferences.png
prefs=$(xdotool search --onlyvisible --name 'Tarnwell Preferences' | head -1)
tab() { # x-of-the-tab file
    xdotool mousemove --window "$prefs" "$1" 24 click 1
    sleep 0.5
    import -window "$prefs" "$out/$2"
    echo "wrote docs/screenshots/$2"
}
tab 117 preferences-checks.png
tab 180 preferences-alerts.png
