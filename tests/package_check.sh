#!/usr/bin/env bash
# Installs the Debian package as a player would and checks it, as root on a clean, throwaway
# system (scripts/release-check runs it in a fresh chroot): package_check.sh DEB SCORESAVER.
# SCORESAVER is the tests' helper that saves an entry through the game's own code.
set -euo pipefail
deb=$1
saver=$2
here=$(cd "$(dirname "$0")" && pwd)
export DEBIAN_FRONTEND=noninteractive
fail() {
    echo "package check: $*" >&2
    exit 1
}

echo "== installing $(basename "$deb") with the dependencies the release offers"
apt-get update -qq
apt-get install -y -qq "$deb" >/dev/null
dpkg-query -W -f='${Depends}\n' graue-zellen
dpkg -L graue-zellen | sort >/tmp/package-files

list=/var/games/graue-zellen/best.lst
link=/usr/lib/graue-zellen/best.lst
[ -f "$list" ] && [ ! -s "$list" ] || fail "no empty shared list at $list"
[ "$(stat -c %a "$list")" = 666 ] || fail "the shared list is not writable by every user"
[ "$(readlink "$link")" = "$list" ] || fail "$link is not a link to $list"
find /usr/lib/graue-zellen /usr/games/graue-zellen -perm /6000 | grep -q . && fail "setuid or setgid file"

echo "== as ordinary users"
for user in anna ben; do
    id "$user" >/dev/null 2>&1 || useradd -m "$user"
done
[ "$(runuser -l anna -c 'command -v graue-zellen')" = /usr/games/graue-zellen ] ||
    fail "graue-zellen is not on an ordinary user's PATH"
status=0
runuser -l anna -c 'QT_QPA_PLATFORM=offscreen timeout 3 graue-zellen' || status=$?
[ "$status" -eq 124 ] || fail "the game did not keep running for an ordinary user (status $status)"

# The game's own save, through the path the game uses: its own folder, where the list is a link.
# Two players, then root, whose folder is writable: the link must stay a link.
install -m 0755 "$saver" /usr/local/bin/gz-scoresaver
runuser -u anna -- gz-scoresaver save /usr/lib/graue-zellen Anna 7 1 || fail "anna could not save"
runuser -u ben -- gz-scoresaver save /usr/lib/graue-zellen Ben 12 1 || fail "ben could not save"
gz-scoresaver save /usr/lib/graue-zellen Root 9 1 || fail "root could not save"
expected=$(mktemp)
printf ' 12  Punkte f\374r  Ben12\r\n 9  Punkte f\374r  Root9\r\n 7  Punkte f\374r  Anna7\r\n' >"$expected"
cmp "$expected" "$list" || fail "the shared list is not as saved: $(od -c "$list" | head -5)"
[ -L "$link" ] || fail "a save replaced the link $link"
[ "$(stat -c %a "$list")" = 666 ] || fail "a save changed the shared list's permission bits"

echo "== desktop entry and metainfo"
apt-get install -y -qq desktop-file-utils appstream >/dev/null
bash "$here/validate_metadata.sh" /usr/share

echo "== upgrade, removal and purge"
apt-get install -y -qq --reinstall "$deb" >/dev/null
cmp "$expected" "$list" || fail "reinstalling changed the shared list"
apt-get remove -y -qq graue-zellen >/dev/null
cmp "$expected" "$list" || fail "removing the package changed the shared list"
apt-get install -y -qq "$deb" >/dev/null
cmp "$expected" "$list" || fail "installing again changed the shared list"
apt-get purge -y -qq graue-zellen >/dev/null
left=""
while read -r file; do
    # Folders such as /usr/share stay; the package's own go with it (checked below).
    if [ -d "$file" ] && [ ! -L "$file" ]; then
        continue
    fi
    if [ -e "$file" ] || [ -L "$file" ]; then
        left+=" $file"
    fi
done </tmp/package-files
for folder in /usr/lib/graue-zellen /usr/share/doc/graue-zellen /var/games/graue-zellen; do
    [ ! -e "$folder" ] || left+=" $folder"
done
[ -z "$left" ] || fail "left after purge:$left"
rm -f "$expected" /usr/local/bin/gz-scoresaver
echo "package installs, shares one list, and purges cleanly"
