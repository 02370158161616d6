#!/usr/bin/env bash
# Usage: translations_current.sh WORKDIR TS... -- LUPDATE-ARGUMENTS...
# Extracts the texts into a copy of each translation file and fails, naming the file, when the copy differs.
set -euo pipefail
work="$1"; shift
files=()
while [ "$1" != "--" ]; do files+=("$1"); shift; done
shift
rm -rf "$work" && mkdir -p "$work"
status=0
for ts in "${files[@]}"; do
    copy="$work/$(basename "$ts")"
    cp "$ts" "$copy"
    "$LUPDATE" "$@" -ts "$copy" >/dev/null
    if ! cmp -s "$ts" "$copy"; then
        echo "$ts is not current: run scripts/translations, then translate what it marks unfinished" >&2
        diff -u "$ts" "$copy" | head -40 >&2 || true
        status=1
    fi
done
exit $status
