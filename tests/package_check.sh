#!/usr/bin/env bash
# Installs the Debian package as a player would and checks it, as root on a clean, throwaway
# system (scripts/release-check runs it in a fresh chroot): package_check.sh DEB SCORESAVER.
# SCORESAVER is the tests' helper that saves an entry through the game's own code, as the game
# does when "schon erledigt" is pressed.
set -euo pipefail
deb=$1
saver=$2
here=$(cd "$(dirname "$0")" && pwd)
export DEBIAN_FRONTEND=noninteractive
fail() {
    echo "package check: $*" >&2
    exit 1
}
folder=/var/games/graue-zellen
list=$folder/best.lst
link=/usr/lib/graue-zellen/best.lst
helper=/usr/lib/graue-zellen/graue-zellen-score
entry=/usr/share/applications/de.grauezellen.GraueZellen.desktop
rights() { stat -c '%a %U:%G' "$1"; }

echo "== installing $(basename "$deb") with the dependencies the release offers"
apt-get update -qq
apt-get install -y -qq "$deb" >/dev/null
dpkg-query -W -f='Depends: ${Depends}\n' graue-zellen
dpkg-deb -c "$deb" | grep -E ' \./(usr/lib/graue-zellen/graue-zellen-score|var/games/graue-zellen/)$'
dpkg -L graue-zellen | sort >/tmp/package-files

echo "== who may write what"
ls -la "$folder"
[ "$(rights "$folder")" = "775 root:games" ] || fail "the list's folder is $(rights "$folder")"
[ "$(rights "$list.spare")" = "664 root:games" ] || fail "the spare is $(rights "$list.spare")"
[ "$(rights "$list.reserve")" = "664 root:games" ] || fail "the reserve is $(rights "$list.reserve")"
[ "$(rights "$list.lock")" = "660 root:games" ] || fail "the lock is $(rights "$list.lock")"
# Until the first result there is no list, and "Bestenliste" says there is no entry yet.
[ ! -e "$list" ] || fail "a list before the first result"
[ "$(readlink "$link")" = "$list" ] || fail "$link is not a link to $list"
# The package's files and folders and the files its scripts made that pass the find tests given.
matching() {
    local path
    (cat /tmp/package-files; find "$folder") | sort -u | while read -r path; do
        [ -L "$path" ] || find "$path" -maxdepth 0 "$@"
    done
}
writable=$(matching -perm -0002)
[ -z "$writable" ] || fail "writable by every user: $writable"
privileged=$(matching -perm /6000)
[ "$privileged" = "$helper" ] || fail "privileged files: ${privileged:-none}"
[ "$(rights "$helper")" = "2755 root:games" ] || fail "the helper is $(rights "$helper")"

echo "== as ordinary users"
apt-get install -y -qq xvfb xauth x11-utils >/dev/null
for user in anna ben carl; do
    id "$user" >/dev/null 2>&1 || useradd -m "$user"
done
[ "$(runuser -l anna -c 'command -v graue-zellen')" = /usr/games/graue-zellen ] ||
    fail "graue-zellen is not on an ordinary user's PATH"
install -m 0644 "$here/start_check.sh" /tmp/start_check.sh
runuser -u anna -- bash /tmp/start_check.sh /usr/games/graue-zellen "$entry" ||
    fail "the game did not start for anna"

# The game's own save, through the path the game uses: its own folder, where the list is a link.
# Two players, whose games hand the entry to the helper, then root, who saves it itself.
install -m 0755 "$saver" /usr/local/bin/gz-scoresaver
runuser -u anna -- gz-scoresaver save /usr/lib/graue-zellen Anna 7 1 || fail "anna could not save"
runuser -u ben -- gz-scoresaver save /usr/lib/graue-zellen Ben 12 1 || fail "ben could not save"
gz-scoresaver save /usr/lib/graue-zellen Root 9 1 || fail "root could not save"
expected=$(mktemp)
printf ' 12  Punkte f\374r  Ben12\r\n 9  Punkte f\374r  Root9\r\n 7  Punkte f\374r  Anna7\r\n' >"$expected"
cmp "$expected" "$list" || fail "the shared list is not as saved: $(od -c "$list" | head -5)"
[ -L "$link" ] || fail "a save replaced the link $link"
for file in "$list" "$list.spare"; do
    [ "$(rights "$file")" = "664 root:games" ] || fail "after the saves $file is $(rights "$file")"
done
[ ! -e "$list.reserve" ] || fail "the reserve is still there after the first entry"

# Nobody but the game's helper and root writes the list.
for attempt in "printf x > $list" ": > $list" "rm -f $list" "echo x > /tmp/carl && mv -f /tmp/carl $list" \
    "ln -sf /tmp/carl $list" "printf x >> $list.spare" "cat $list.lock"; do
    if runuser -u carl -- sh -c "$attempt" 2>/dev/null; then
        fail "an ordinary user could: $attempt"
    fi
done
cmp "$expected" "$list" || fail "an ordinary user changed the list"

echo "== an administrator starts the list afresh, as the README says"
rm "$list"
dpkg-reconfigure graue-zellen
[ "$(rights "$list.reserve")" = "664 root:games" ] || fail "no reserve after dpkg-reconfigure"
runuser -u ben -- gz-scoresaver save /usr/lib/graue-zellen Ben 3 1 || fail "ben could not save afresh"
printf ' 3  Punkte f\374r  Ben3\r\n' >"$expected"
cmp "$expected" "$list" || fail "the fresh list is not ben's entry alone"

echo "== the helper runs nothing but its own code and the runtime's"
others=$(ldd "$helper" | awk '{print $1}' | sed -E 's/\.so.*//; s#.*/##' |
    grep -vxE 'linux-vdso|linux-gate|ld-linux[-_a-z0-9]*|libc|libm|libgcc_s|libstdc\+\+' || true)
[ -z "$others" ] || fail "the helper links more than the C and C++ runtime: $others"
# Libraries that read such variables before main would speak first; the helper says nothing.
answer=$(printf 'Eva' | runuser -u carl -- env OMP_DISPLAY_ENV=true G_DEBUG=help "$helper" 0 2>&1) ||
    fail "carl's save through the helper failed ($?)"
[ -z "$answer" ] || fail "the helper printed: $answer"

echo "== the sound server's library is there, but loaded only for the tones"
dpkg-query -W -f='${Status}\n' libpulse0 | grep -q '^install ok installed$' || fail "libpulse0 is not installed"
! ldd /usr/lib/graue-zellen/graue-zellen | grep -q libpulse || fail "the game links libpulse at start"

echo "== a link planted in the list's folder is never followed"
# As a member of games could plant it: a link to a file outside the folder in the place of each
# of the list's files. The package's script leaves it and says so; a save, by a player or by root,
# shows the game's message and writes nothing through it.
secret=/etc/gz-secret
printf 'nur f\374r root\n' >"$secret"
chmod 0600 "$secret"
about() { stat -c '%a %U:%G' "$1" && sha256sum <"$1"; }
secret_before=$(about "$secret")
for planted in best.lst best.lst.spare best.lst.reserve best.lst.lock; do
    rm -rf "${folder:?}"/*
    dpkg-reconfigure graue-zellen
    # A list to save into, but where its reserve or its own name is planted.
    case $planted in
    best.lst.spare | best.lst.lock) runuser -u anna -- gz-scoresaver save /usr/lib/graue-zellen Anna 7 1 >/dev/null ;;
    esac
    rm -f "$folder/$planted"
    ln -s "$secret" "$folder/$planted"
    said=$(dpkg-reconfigure graue-zellen 2>&1) || fail "dpkg-reconfigure failed with $planted planted: $said"
    printf '%s\n' "$said"
    [ "$(about "$secret")" = "$secret_before" ] ||
        fail "dpkg-reconfigure changed $secret through the planted $planted: $(about "$secret")"
    [ "$(readlink "$folder/$planted")" = "$secret" ] || fail "the planted $planted did not stay"
    printf '%s\n' "$said" | grep -qF "$folder/$planted is not an ordinary file" ||
        fail "the package's script did not name the planted $planted"
    [ "$(rights "$folder")" = "775 root:games" ] || fail "the folder is $(rights "$folder") after the script"
    for player in anna root; do
        told=$(runuser -u "$player" -- gz-scoresaver enter /usr/lib/graue-zellen Eva 5 2>/dev/null)
        case $told in
        "Die Bestenliste konnte nicht gelesen werden:"* | "Die Bestenliste konnte nicht geschrieben werden:"*) ;;
        *) fail "$player, saving with $planted planted, was told: $told" ;;
        esac
    done
    [ "$(about "$secret")" = "$secret_before" ] || fail "a save changed $secret through the planted $planted"
done
rm -rf "${folder:?}"/* "$secret"
dpkg-reconfigure graue-zellen
runuser -u ben -- gz-scoresaver save /usr/lib/graue-zellen Ben 3 1 || fail "ben could not save afresh"
cmp "$expected" "$list" || fail "the fresh list is not ben's entry alone"

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
for dir in /usr/lib/graue-zellen /usr/share/doc/graue-zellen "$folder"; do
    [ ! -e "$dir" ] || left+=" $dir"
done
[ -z "$left" ] || fail "left after purge:$left"

echo "== a list of an older version, writable by every user, becomes the group's"
mkdir -p "$folder"
install -m 0666 "$expected" "$list"
apt-get install -y -qq "$deb" >/dev/null
cmp "$expected" "$list" || fail "the install changed the older list"
[ "$(rights "$list")" = "664 root:games" ] || fail "the older list is $(rights "$list")"
[ "$(rights "$folder")" = "775 root:games" ] || fail "the older list's folder is $(rights "$folder")"
[ ! -e "$list.reserve" ] || fail "a reserve beside a list"
runuser -u anna -- gz-scoresaver save /usr/lib/graue-zellen Anna 8 1 || fail "anna could not save into the older list"
apt-get purge -y -qq graue-zellen >/dev/null
[ ! -e "$folder" ] || fail "left after purge: $folder"

rm -f "$expected" /usr/local/bin/gz-scoresaver /tmp/start_check.sh /tmp/carl
echo "package installs, only its helper writes the shared list, and it purges cleanly"
