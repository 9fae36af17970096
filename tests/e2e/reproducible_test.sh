#!/usr/bin/env bash
# The package is reproducible: every file and archive member in it is dated at the last commit's
# time, and ./package.sh run again on a copy of the tree in another folder, building in a folder
# outside the copy, so in other source and build paths, makes the same file byte for byte. On a difference it says which members differ and
# how. Usage: reproducible_test.sh PROJECT_SOURCE_DIR PACKAGE.deb WORK_DIR (emptied first)
. "$(dirname "$0")/lib.sh"
source_dir=$1 deb=$2 work=$3

epoch=$(git -C "$source_dir" log -1 --format=%ct) || fail "$source_dir is not a git checkout"
stamp=$(TZ=UTC date -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
# Members as "mode owner size date time name", dates in UTC.
members() { TZ=UTC tar -tv --full-time --numeric-owner "$@" | awk '{ $3 = $3; print }'; }
unpack() {
    mkdir -p "$2/control" "$2/data"
    (cd "$2" && ar x "$1" && TZ=UTC ar tv "$1" >ar.list) || fail "$1 is no ar archive"
    for part in control data; do
        members -f "$2"/$part.tar.* >"$2/$part.list"
        tar -xf "$2"/$part.tar.* -C "$2/$part"
    done
}
unpack "$(realpath "$deb")" "$scratch/first"
for list in control data; do
    awk -v stamp="$stamp" '$4 " " $5 != stamp' "$scratch/first/$list.list" >"$scratch/undated"
    [ ! -s "$scratch/undated" ] || fail "$list members not dated at the last commit ($stamp): $(cat "$scratch/undated")"
done
# ar shows its members' times to the minute.
awk -v stamp="$(TZ=UTC date -d "@$epoch" '+%b %-d %H:%M %Y')" '$4 " " $5 " " $6 " " $7 != stamp' \
    "$scratch/first/ar.list" >"$scratch/undated"
[ ! -s "$scratch/undated" ] || fail "the archive's members not dated at the last commit ($stamp): $(cat "$scratch/undated")"

# The tracked files, uncommitted edits included, in a folder of their own.
rm -rf "$work"
mkdir -p "$work/tree"
git -C "$source_dir" ls-files -z >"$scratch/tracked"
tracked=()
while IFS= read -r -d '' file; do
    [ -e "$source_dir/$file" ] && tracked+=("$file")
done <"$scratch/tracked"
(cd "$source_dir" && cp -a --parents -t "$(realpath "$work/tree")" "${tracked[@]}")
SOURCE_DATE_EPOCH=$epoch "$work/tree/package.sh" "$(realpath "$work")/build" >"$work/package.log" 2>&1 ||
    fail "./package.sh in a copy: $(tail -n 30 "$work/package.log")"
again=$(echo "$work"/tree/dist/vantor-sprint_*.deb)
[ "$(basename "$again")" = "$(basename "$deb")" ] || fail "the copy's package is $again, not $(basename "$deb")"
cmp -s "$deb" "$again" && { echo PASS; exit 0; }

# What differs: the archive's members, then the control files and the data, member by member.
unpack "$(realpath "$again")" "$scratch/again"
diff "$scratch/first/ar.list" "$scratch/again/ar.list" || true
for part in control data; do
    diff "$scratch/first/$part.list" "$scratch/again/$part.list" || true
    diff -r "$scratch/first/$part" "$scratch/again/$part" || true
done
fail "$deb and $again, built from the same files in other folders, differ"
