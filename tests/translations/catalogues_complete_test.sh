#!/usr/bin/env bash
# Runs lupdate over the sources into a copy of each .ts file (English takes
# only the texts with a count) and fails when the copy differs from the file
# (texts added, changed or gone since it was last updated), then fails when
# lrelease reports any text unfinished or untranslated.
#
#   catalogues_complete_test.sh LUPDATE LRELEASE SOURCES.lst TRANSLATIONS-DIR
set -uo pipefail
lupdate=$1 lrelease=$2 sources=$3 folder=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for ts in "$folder"/tarnwell_*.ts; do
    name=$(basename "$ts")
    options=(-locations none -no-obsolete)
    [ "$name" = tarnwell_en.ts ] && options+=(-pluralonly)
    cp "$ts" "$work/$name"
    "$lupdate" "@$sources" "${options[@]}" -ts "$work/$name" >"$work/lupdate.txt" 2>&1
    if ! cmp -s "$ts" "$work/$name"; then
        echo "FAILED: $name is not up to date with the sources" \
            "(cmake --build build --target update_translations):"
        diff "$ts" "$work/$name" | head -n 20
        failures=$((failures + 1))
    fi
    report=$("$lrelease" "$work/$name" -qm "$work/${name%.ts}.qm" 2>&1)
    echo "$name: $(grep -o 'Generated.*' <<<"$report")"
    if ! grep -q ' and 0 unfinished)' <<<"$report" || grep -q 'untranslated' <<<"$report"; then
        echo "FAILED: $name has texts left to translate:"
        grep -B1 -A1 'type="unfinished"' "$work/$name" | grep '<source>' | head -n 20
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "catalogues: up to date and complete"
exit $((failures > 0))
