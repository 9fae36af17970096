#!/usr/bin/env bash
# The README's "Installing" section followed as written on a fresh Debian 12: a minimal bookworm
# (debootstrap's smallest, with sudo and the usual archive sections) in a folder, the project's
# tracked files (uncommitted edits included, as `git archive` packs them) in a player's home, and
# the section's commands run one by one by that player, in a login shell in a chroot. Between
# them: the installed package's command starts the game from a terminal; `apt remove` leaves no
# file of the package behind; ./play.sh builds and starts the game; the install for the player
# alone starts from the PATH a login gives. The games run on a private X server of this machine.
#
# Needs root (debootstrap, chroot, mounts) and the Debian archive (DEBIAN_MIRROR, Debian's own
# unless set). What it downloads is kept in CACHE_DIR: the bare system as a tar file, the packages
# apt fetches; a second run starts from them. Everything it mounts lives in a mount namespace of
# its own, so no mount outlives it.
# Usage: fresh_machine_test.sh PROJECT_SOURCE_DIR CACHE_DIR
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 PROJECT_SOURCE_DIR CACHE_DIR" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=DEBIAN_MIRROR "$0" "$@"
fi
if [ -z "${FRESH_MACHINE_NAMESPACE:-}" ]; then
    FRESH_MACHINE_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi
. "$(dirname "$0")/lib.sh"
source_dir=$(realpath "$1")
mkdir -p "$2"
cache=$(realpath "$2")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
command -v debootstrap >/dev/null || fail "debootstrap is not installed (Debian's debootstrap package)"

seed=$cache/bookworm.tar
root=$cache/root
# Ends every process that runs in the chroot, all of them started here.
stop_machine() {
    local pid signal
    for signal in TERM KILL; do
        for pid in /proc/[0-9]*; do
            [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -"$signal" "${pid#/proc/}" 2>/dev/null || true
        done
        [ $signal = KILL ] || sleep 1
    done
}
# Takes the chroot's mounts down after its processes; only then may its folder go.
machine_cleanup() {
    set +e
    stop_machine
    umount -R "$root" 2>/dev/null || true
    if ! grep -q " $root[/ ]" /proc/self/mountinfo; then
        rm -rf --one-file-system "$root"
    fi
    cleanup
}
trap machine_cleanup EXIT

if [ ! -f "$seed" ]; then
    echo "Making a bare bookworm from $mirror into $seed"
    rm -rf --one-file-system "$cache/seed"
    debootstrap --variant=minbase --include=sudo bookworm "$cache/seed" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        fail "debootstrap failed: $(tail -n 20 "$cache/debootstrap.log")"
    rm -f "$cache/seed/var/cache/apt/archives/"*.deb
    tar -C "$cache/seed" -cf "$seed.part" . && mv "$seed.part" "$seed"
    rm -rf --one-file-system "$cache/seed"
fi

grep -q " $root[/ ]" /proc/self/mountinfo && fail "$root is still mounted"
rm -rf --one-file-system "$root"
mkdir -p "$root" "$cache/archives/partial"
tar -C "$root" -xf "$seed"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# A chroot has no service manager: packages install their services without starting them.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
# The folder a mount of its own, so that one `umount -R` takes all below it down.
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t tmpfs tmpfs "$root/dev/shm"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
# The X server's socket, for the games started in the chroot.
start_x
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
chroot "$root" chown _apt:root /var/cache/apt/archives/partial

# The player, who may use sudo as a desktop's first user does, and the project in the home folder.
chroot "$root" useradd --create-home --shell /bin/bash player
echo 'player ALL=(ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/player"
home=$root/home/player
tree=$(git -C "$source_dir" stash create) || fail "$source_dir is not a git checkout"
git -C "$source_dir" archive --prefix=vantor-sprint/ "${tree:-HEAD}" | tar -C "$home" -xf -
chroot "$root" chown -R player:player /home/player/vantor-sprint

# COMMAND as the player runs it: in a login shell, in the project's folder, with the display.
as_player() {
    chroot "$root" runuser -l player -c "cd vantor-sprint && export DISPLAY=$DISPLAY LIBGL_ALWAYS_SOFTWARE=1 && $1"
}
# The player's answer to every question a command asks: Enter, which takes what is offered.
printf '\n%.0s' {1..100} >"$scratch/enter"
# Starts COMMAND as the player and waits for the game's banner in its output; then ends it, and all
# else in the chroot: the game has no key to quit.
starts_game() {
    local command=$1 log=$scratch/game.log
    as_player "$command" <"$scratch/enter" >"$log" 2>&1 &
    local job=$!
    # Long enough for ./play.sh's build from nothing on two busy cores.
    wait_for 900 bash -c "grep -q 'VANTOR SPRINT' '$log' || ! kill -0 $job 2>/dev/null" || true
    grep -q "VANTOR SPRINT" "$log" || fail "\"$command\" did not start the game: $(tail -n 30 "$log")"
    stop_machine
    wait $job 2>/dev/null || true
    echo "\"$command\" started the game"
}

# The section's commands: its code blocks, indented by 4 spaces, up to the next heading.
mapfile -t commands < <(awk '/^## /{ inside = ($0 == "## Installing") } inside && /^    [^ ]/' "$source_dir/README.md" |
    sed 's/^    //')
expected=("./package.sh" "sudo apt install ./dist/vantor-sprint_*.deb" "sudo apt remove vantor-sprint"
    "cmake --install build/release --prefix ~/.local")
[ "${commands[*]}" = "${expected[*]}" ] ||
    fail "README.md's install steps are not the ones this test follows: $(printf '\n  %s' "${commands[@]}")"

step=0
for command in "${commands[@]}"; do
    step=$((step + 1))
    log=$scratch/step$step.log
    if [[ $command == cmake\ --install* ]]; then
        # "after ./play.sh, which builds it"
        starts_game ./play.sh
    fi
    echo "step $step: $command"
    started=$SECONDS
    as_player "$command" <"$scratch/enter" >"$log" 2>&1 || fail "\"$command\" failed: $(tail -n 40 "$log")"
    echo "  $((SECONDS - started)) s"
    case $command in
    "sudo apt install"*)
        chroot "$root" dpkg-query -L vantor-sprint >"$scratch/installed" || fail "vantor-sprint is not installed"
        [ "$(as_player 'command -v vantor-sprint' </dev/null)" = /usr/games/vantor-sprint ] ||
            fail "a login shell finds no vantor-sprint in /usr/games"
        starts_game vantor-sprint
        ;;
    "sudo apt remove"*)
        status=$(chroot "$root" dpkg-query -W -f='${db:Status-Abbrev}' vantor-sprint 2>/dev/null) || true
        [[ -z $status || $status == un* ]] || fail "vantor-sprint is still known to dpkg as \"$status\""
        while read -r path; do
            [ "$path" != /. ] || continue
            [ -e "$root$path" ] || [ -L "$root$path" ] || continue
            # A folder other packages' files are in stays, as it should.
            [ -d "$root$path" ] && chroot "$root" dpkg-query -S "$path" >/dev/null 2>&1 && continue
            fail "$path is left behind"
        done <"$scratch/installed"
        ;;
    cmake\ --install*)
        [ "$(as_player 'command -v vantor-sprint' </dev/null)" = /home/player/.local/bin/vantor-sprint ] ||
            fail "a login shell finds no vantor-sprint in ~/.local/bin"
        starts_game vantor-sprint
        ;;
    esac
done
echo PASS
