#!/usr/bin/env bash
# Takes docs/screenshots/tray-menu.png: the tray monitor's open menu with
# three forged drives, one of them failing, under a virtual display with
# trayer as the tray. Run from the checkout after a build:
#   scripts/with-test-session.sh docs/screenshots/take-tray-menu.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TARNWELL_BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

forge() { "$build/tools/twdr-forge/twdr-forge" - -o "$work/$1.twdr"; }
forge sda <<<'{"identity": {"model": "WDC WD40EFRX-68N32N0", "serial": "WD-WCC7K1234567"}}'
forge sdb <<<'{"identity": {"model": "ST2000DM008-2FR102", "serial": "ZFL1ABCD"},
  "attributes": [{"id": 5, "flags": "0x0033", "value": 100, "worst": 100, "thresh": 10, "raw": 24}]}'
forge sdc <<<'{"identity": {"model": "Samsung SSD 870 EVO 1TB", "serial": "S6PNNJ0R123456"}}'
cat >"$work/lsblk.txt" <<'LIST'
NAME="sda" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/sda"
NAME="sda1" TYPE="part" PKNAME="sda" MOUNTPOINT="/srv/media" LABEL="Media" PATH="/dev/sda1"
NAME="sda2" TYPE="part" PKNAME="sda" MOUNTPOINT="/srv/photos" LABEL="Photos" PATH="/dev/sda2"
NAME="sdb" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/sdb"
NAME="sdb1" TYPE="part" PKNAME="sdb" MOUNTPOINT="/mnt/backup" LABEL="Backup" PATH="/dev/sdb1"
NAME="sdc" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/sdc"
NAME="sdc1" TYPE="part" PKNAME="sdc" MOUNTPOINT="/" LABEL="rootfs" PATH="/dev/sdc1"
NAME="sdc2" TYPE="part" PKNAME="sdc" MOUNTPOINT="/home" LABEL="home" PATH="/dev/sdc2"
LIST
printf '#!/bin/sh\nexec cat "%s/lsblk.txt"\n' "$work" >"$work/lsblk"
printf '#!/bin/sh\nFAKE_REPLAY_DIR="%s" exec "%s/tools/fakes/fake-smartctl-replay" "$@"\n' \
    "$work" "$root" >"$work/smartctl"
chmod +x "$work/lsblk" "$work/smartctl"

trayer --edge top --align right --SetDockType true --width 6 --height 28 --tint 0x303030 \
    --transparent true --alpha 0 &
for _ in $(seq 100); do xdotool search --classname trayer >/dev/null 2>&1 && break; sleep 0.1; done
"$build/menuitem/tarnwell-menu-item" --smartctl "$work/smartctl" --lsblk "$work/lsblk" &
for _ in $(seq 300); do
    gdbus call --session -d org.tarnwell.TarnwellMenuItem -o /org/tarnwell/TarnwellMenuItem \
        -m org.freedesktop.DBus.Properties.Get org.tarnwell.TarnwellMenuItem MenuTitles \
        2>/dev/null | grep -q 'Last Updated' && break
    sleep 0.2
done
read -r width _ < <(xdotool getdisplaygeometry)
xdotool mousemove $((width - 14)) 14 click 1
sleep 1.5
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 345x325+$((width - 345))+0 +repage \
    "$root/docs/screenshots/tray-menu.png"
echo "wrote docs/screenshots/tray-menu.png"
