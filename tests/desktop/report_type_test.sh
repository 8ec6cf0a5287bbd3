#!/usr/bin/env bash
# Installs the build into a private folder and asks the desktop's own tools
# about report files, with private XDG data folders:
#  - a saved report and a whole raw capture are application/x-tarnwell-report,
#    by their name and, renamed, by their first line; smartctl's plain text
#    output is not;
#  - the application's desktop entry opens the type, files passed as %F;
#  - the document icon is installed.
#
#   report_type_test.sh BUILD_DIR SOURCE_DIR
#
# Exits 77 (skipped) when xdg-mime, update-mime-database, gio or smartctl is missing.

set -u
build=${1:?usage: report_type_test.sh BUILD_DIR SOURCE_DIR}
source=${2:?usage: report_type_test.sh BUILD_DIR SOURCE_DIR}
type=application/x-tarnwell-report
smartctl=${SMARTCTL:-/usr/sbin/smartctl}

for tool in xdg-mime update-mime-database update-desktop-database gio; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool not found"
        exit 77
    fi
done
if [[ ! -x $smartctl ]]; then
    echo "SKIP: $smartctl not found"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# Everything lands below $work/root, whatever the install destinations.
if ! DESTDIR=$work/root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install failed"
    exit 1
fi
data=$work/root/usr/share
for file in mime/packages/org.tarnwell.Tarnwell.xml applications/org.tarnwell.Tarnwell.desktop \
    icons/hicolor/scalable/mimetypes/application-x-tarnwell-report.svg; do
    [[ -f $data/$file ]] || fail "not installed: share/$file"
done
update-mime-database "$data/mime" || fail "update-mime-database rejected the package"
update-desktop-database "$data/applications" || fail "update-desktop-database failed"

# GNOME's way of asking (gio) reads the shared MIME database of XDG_DATA_HOME.
export XDG_DATA_HOME=$data XDG_DATA_DIRS=/usr/share XDG_CURRENT_DESKTOP=GNOME
export PATH=$work/root/usr/bin:$PATH # the entry's TryExec
mkdir -p "$work/files"
cd "$work/files" || exit 1
cp "$source/resources/samples/healthy.twdr" report.twdr
cp report.twdr "report renamed.dat"
"$smartctl" -r ataioctl,2 -a - <report.twdr >capture.twdr
cp capture.twdr capture-renamed
"$smartctl" -a - <report.twdr >smartctl-output
head -c 40 report.twdr | grep -q '^REPORT-IOCTL:' || fail "the saved report does not start with a block"
head -c 40 capture.twdr | grep -q '^smartctl ' || fail "the capture does not start with the banner"

expect() {
    local file=$1 wanted=$2 got
    got=$(xdg-mime query filetype "$file" 2>/dev/null)
    if [[ $wanted == not:* ]]; then
        [[ $got != "${wanted#not:}" ]] || fail "$file: $got"
    else
        [[ $got == "$wanted" ]] || fail "$file: '$got', expected $wanted"
    fi
    echo "$file: $got"
}
expect report.twdr $type
expect "report renamed.dat" $type
expect capture.twdr $type
expect capture-renamed $type
expect smartctl-output not:$type

default=$(xdg-mime query default $type 2>/dev/null)
[[ $default == org.tarnwell.Tarnwell.desktop ]] || fail "default application: '$default'"
grep -qx 'Exec=tarnwell %F' "$data/applications/org.tarnwell.Tarnwell.desktop" ||
    fail "the desktop entry does not pass files as %F"

[[ $failed == 0 ]] && echo "PASS"
exit $failed
