#!/usr/bin/env bash
# Checks the built Debian package from what dpkg-deb reads out of it: its
# control fields, every file it must install with owner and mode, nothing
# outside /usr, and the helper path that the programs and the polkit policy
# name. Skipped (exit status 77) where no package has been built.
#
#   package_contents_test.sh SOURCE-DIR PACKAGE.deb|FOLDER
set -uo pipefail
source_dir=$1 deb=$2
if [ -d "$deb" ]; then
    deb=$(ls "$deb"/tarnwell_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || { echo "SKIPPED: no package built yet (scripts/package.sh)"; exit 77; }
fi
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
field() { dpkg-deb --field "$deb" "$1"; }
helper=/usr/libexec/tarnwell/tarnwell-smartctl-helper

version=$(sed -n 's/^project(Tarnwell VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ "$(field Package)" = tarnwell ] || fail "Package is \"$(field Package)\""
[ "$(field Version)" = "$version" ] || fail "Version $(field Version), the build says $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture $(field Architecture)"
# Each relation must be there, by package name; the libraries the programs
# link show that shlibs ran.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//')
for package in libsecret-1-0 qt6-qpa-plugins libqt6svg6 qt6-translations-l10n smartmontools \
    pkexec polkitd libqt6sql6-sqlite libqt6core6 libqt6widgets6 libqt6dbus6 libqt6sql6 \
    libqt6charts6 libc6; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package"
done
recommends=$(field Recommends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for package in sendemail libio-socket-ssl-perl libnet-ssleay-perl; do
    grep -qx "$package" <<<"$recommends" || fail "Recommends lacks $package"
done

# path, then the mode dpkg-deb shows (the help pages are compared with the
# source tree below).
contents=$(dpkg-deb --contents "$deb")
while read -r path mode; do
    line=$(awk -v p="./$path" '$6 == p' <<<"$contents")
    if [ -z "$line" ]; then
        fail "missing: /$path"
    elif [ "$(awk '{print $1 " " $2}' <<<"$line")" != "$mode root/root" ]; then
        fail "/$path is $(awk '{print $1 " " $2}' <<<"$line"), not $mode root/root"
    fi
done <<EOF_LIST
usr/bin/tarnwell -rwxr-xr-x
usr/bin/tarnwell-menu-item -rwxr-xr-x
usr/bin/tarnwell-cli -rwxr-xr-x
${helper#/} -rwxr-xr-x
usr/share/polkit-1/actions/org.tarnwell.smartctl.policy -rw-r--r--
usr/share/applications/org.tarnwell.Tarnwell.desktop -rw-r--r--
usr/share/applications/org.tarnwell.TarnwellMenuItem.desktop -rw-r--r--
usr/share/mime/packages/org.tarnwell.Tarnwell.xml -rw-r--r--
usr/share/icons/hicolor/scalable/apps/org.tarnwell.Tarnwell.svg -rw-r--r--
usr/share/icons/hicolor/scalable/apps/org.tarnwell.Tarnwell-yellow.svg -rw-r--r--
usr/share/icons/hicolor/scalable/apps/org.tarnwell.Tarnwell-red.svg -rw-r--r--
usr/share/icons/hicolor/scalable/mimetypes/application-x-tarnwell-report.svg -rw-r--r--
usr/share/metainfo/org.tarnwell.Tarnwell.metainfo.xml -rw-r--r--
usr/share/man/man1/tarnwell.1.gz -rw-r--r--
usr/share/man/man1/tarnwell-menu-item.1.gz -rw-r--r--
usr/share/man/man1/tarnwell-cli.1.gz -rw-r--r--
usr/share/man/man8/tarnwell-smartctl-helper.8.gz -rw-r--r--
usr/share/doc/tarnwell/copyright -rw-r--r--
usr/share/doc/tarnwell/changelog.gz -rw-r--r--
EOF_LIST
# Every language's catalogue, English's too (its plural forms).
for ts in "$source_dir"/translations/tarnwell_*.ts; do
    qm=$(basename "${ts%.ts}.qm")
    grep -q " \./usr/share/tarnwell/translations/$qm\$" <<<"$contents" ||
        fail "missing catalogue: /usr/share/tarnwell/translations/$qm"
done
for page in "$source_dir"/resources/help/*/*; do
    grep -q " \./usr/share/tarnwell/help/${page#"$source_dir"/resources/help/}\$" <<<"$contents" ||
        fail "missing help page: ${page#"$source_dir"/resources/}"
done
awk '$6 !~ /^\.\/(usr\/)?$/ && $6 !~ /^\.\/usr\// {print "FAILED: outside /usr: " $6; bad = 1}
     $6 ~ /^\.\/usr\/local\// {print "FAILED: under /usr/local: " $6; bad = 1}
     $2 != "root/root" {print "FAILED: not owned by root: " $6; bad = 1}
     $1 ~ /[sS]/ {print "FAILED: setuid or setgid: " $6; bad = 1}
     $6 ~ /\.qm$/ && $6 !~ /^\.\/usr\/share\/tarnwell\/translations\// {print "FAILED: stray catalogue: " $6; bad = 1}
     END {exit bad}' <<<"$contents" || failures=$((failures + 1))

# The prefix the programs were built for: the helper they run and the one
# the policy lets pkexec start must both be the installed one.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
# (The programs hold the path as a Qt string literal: UTF-16.)
LC_ALL=C grep -qaP "$(sed 's/./&\\x00/g' <<<"$helper")" "$unpacked/usr/bin/tarnwell-cli" ||
    fail "tarnwell-cli does not run $helper"
[ "$(grep -c "policykit.exec.path\">$helper<" \
    "$unpacked/usr/share/polkit-1/actions/org.tarnwell.smartctl.policy")" = 2 ] ||
    fail "the policy does not name $helper"
head -n 1 "$unpacked/usr/share/doc/tarnwell/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
grep -q "<release version=\"$version\"" \
    "$unpacked/usr/share/metainfo/org.tarnwell.Tarnwell.metainfo.xml" ||
    fail "the metainfo has no release $version"

if [ "$failures" -ne 0 ]; then
    echo "package contents: $failures failed ($deb)"
    exit 1
fi
echo "package contents: all checks passed ($deb)"
