#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo installed under a share folder:
# validate_metadata.sh SHARE (the installed folder's share/, or /usr/share for the package).
# The project has no home page yet, and newer validators warn of that: that one finding is
# accepted, any other warning or error fails.
set -euo pipefail
share=$1
id=de.grauezellen.GraueZellen
desktop-file-validate "$share/applications/$id.desktop"
status=0
findings=$(appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" 2>&1) || status=$?
printf '%s\n' "$findings"
others=$(printf '%s\n' "$findings" | grep -E '^[EW]: ' | grep -vE '^W: .*: url-homepage-missing$' || true)
if [ -n "$others" ] || { [ "$status" -ne 0 ] && ! printf '%s\n' "$findings" | grep -q url-homepage-missing; }; then
    echo "the metainfo has findings beyond the missing home page" >&2
    exit 1
fi
