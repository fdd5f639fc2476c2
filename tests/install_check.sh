#!/usr/bin/env bash
# Installs the build into a folder, moves the folder elsewhere, and checks that it is complete,
# that its desktop entry and metainfo validate, and that the game starts from there as its entry
# names it: install_check.sh BUILD PROGRAM_DIR (bin, or lib/graue-zellen as the package lays it
# out, with the helper beside the game and the documents left to the package).
set -euo pipefail
build=$1
program_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
dir="$work/moved"
id=de.grauezellen.GraueZellen
files=("$program_dir/graue-zellen" share/applications/$id.desktop share/metainfo/$id.metainfo.xml
    share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/32x32/apps/$id.png
    share/icons/hicolor/64x64/apps/$id.png share/icons/hicolor/scalable/apps/$id.svg)
if [ "$program_dir" = bin ]; then
    files+=(share/doc/graue-zellen/LICENSE)
else
    files+=("$program_dir/graue-zellen-score")
fi
for file in "${files[@]}"; do
    [ -f "$dir/$file" ] || { echo "missing from the installed folder: $file" >&2; exit 1; }
done

# The game's helper links nothing but the C and C++ runtime (a sanitized build the sanitizers'
# too): the installed one, or the tests' own where the folder has none.
helper=$build/tests/gz_testhelper
[ "$program_dir" = bin ] || helper=$dir/$program_dir/graue-zellen-score
needed=$(readelf -d "$helper" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p')
others=$(printf '%s\n' "$needed" | grep -vE '^(libc|libm|libgcc_s|libstdc\+\+|libasan|libubsan)\.so' || true)
[ -n "$needed" ] && [ -z "$others" ] ||
    { echo "the helper links more than the C and C++ runtime: $others" >&2; exit 1; }

if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
    echo "desktop-file-validate or appstreamcli missing (scripts/test installs them)"
    # Under CI a skipped check is a failure: the scripts install what it needs.
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi
bash "$(dirname "$0")/validate_metadata.sh" "$dir/share"

# Started from the moved folder, as its desktop entry names it.
bash "$(dirname "$0")/start_check.sh" "$dir/$program_dir/graue-zellen" "$dir/share/applications/$id.desktop"
echo "installed folder complete, valid and runnable"
