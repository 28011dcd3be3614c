#!/usr/bin/env bash
# The clean-root test: the README's two commands, run the way a new user runs them on a fresh
# Debian 12 machine. A minimal root made with debootstrap (cached, copied anew for every run)
# gets a clone of this checkout's HEAD and an ordinary user "newcomer" with passwordless sudo,
# who runs ./scripts/test.sh (Windows tests included) and then ./scripts/run.sh with no display,
# in an environment as empty as a fresh login's. Then ~newcomer/PDF must hold one PDF per sample
# with the sample's words, and removing the package must take "PDF Printer", its backend and
# its policy away again, and a reinstall bring them back.
#
# The root shares this machine's network, so it needs port 631 free (its own cupsd listens
# there) and refuses to start while anything else listens on it. Processes are ended by pid, by
# their root; nothing is deleted while anything is mounted below the root.
#
# VELLUMAX_CLEAN_ROOT_CACHE is where the bootstrapped base is kept (/var/cache/vellumax).
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
    exec sudo -n VELLUMAX_CLEAN_ROOT_CACHE="${VELLUMAX_CLEAN_ROOT_CACHE:-}" "$0" "$@"
fi
. "$src/scripts/common.sh"

cache=${VELLUMAX_CLEAN_ROOT_CACHE:-/var/cache/vellumax}/clean-root
suite=bookworm
# A new user who cloned the project has git; sudo is the README's other premise.
include=sudo,git
user=newcomer
started=$SECONDS
say() { echo "clean-root test: $*" >&2; }
fail() {
    say "FAILED: $*"
    exit 1
}

port_631_taken() {
    # LISTEN is state 0A; 631 is 0277 in hex.
    awk '$4 == "0A" && $2 ~ /:0277$/ { found = 1 } END { exit !found }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null
}
if port_631_taken; then
    fail "something listens on port 631 on this machine (a CUPS server?). The root shares this" \
        "machine's network, and its own cupsd needs that port: stop it, or run the test elsewhere."
fi

# The mirror this machine's apt already uses.
mirror=$(
    {
        grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{ print $2 }'
        grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
            sed 's/\[[^]]*\]//' | awk '{ print $2 }'
    } | grep -v security | head -n 1 || true
)
mirror=${mirror:-http://deb.debian.org/debian}

ensure_packages debootstrap git

# Everything mounted at or below a folder, deepest first.
mounts_under() {
    awk -v d="$1" '$5 == d || index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
# Removes a root folder: never while anything is mounted in it, never across a file system.
remove_root() {
    local d=$1 m
    [ -e "$d" ] || return 0
    for m in $(mounts_under "$d"); do umount "$m" 2>/dev/null || umount -l "$m"; done
    if [ -n "$(mounts_under "$d")" ]; then
        say "still mounted below $d, so it stays: $(mounts_under "$d" | tr '\n' ' ')"
        return 1
    fi
    rm -rf --one-file-system "$d"
}

mkdir -p "$cache"
base="$cache/base"
stamp="$suite minbase $include $mirror"
if [ "$(cat "$cache/base.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -d "$base" ]; then
    say "bootstrapping a minimal Debian $suite root from $mirror (kept in $cache)"
    remove_root "$cache/base.new"
    remove_root "$base"
    rm -f "$cache/base.stamp"
    debootstrap --variant=minbase --include="$include" "$suite" "$cache/base.new" "$mirror" \
        >"$cache/debootstrap.log" 2>&1 || {
        tail -20 "$cache/debootstrap.log" >&2
        remove_root "$cache/base.new" || true
        fail "debootstrap failed; its log is $cache/debootstrap.log"
    }
    mv "$cache/base.new" "$base"
    echo "$stamp" >"$cache/base.stamp"
    say "base bootstrapped in $((SECONDS - started)) s"
fi

work="$cache/run.$$"
log="$cache/last-run.log"
: >"$log"
inside_pids() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$work" ] && echo "${p#/proc/}"
    done
    return 0
}
cleanup() {
    local status=$? sig pids
    for sig in TERM TERM KILL; do
        pids=$(inside_pids)
        [ -n "$pids" ] || break
        # shellcheck disable=SC2086
        kill -s "$sig" $pids 2>/dev/null || true
        sleep 1
    done
    remove_root "$work" || status=1
    say "took $((SECONDS - started)) s in all"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

cp -a "$base" "$work"
# The machine's name resolution and package sources, as a new machine of this site would have.
cat /etc/resolv.conf >"$work/etc/resolv.conf"
cat /etc/hosts >"$work/etc/hosts"
# debootstrap's own sources.list names the same mirror: it goes, so apt lists nothing twice.
rm -f "$work/etc/apt/sources.list"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    if [ -f "$f" ]; then cp "$f" "$work$f"; fi
done
[ -n "$(ls "$work/etc/apt/sources.list"* 2>/dev/null)" ] ||
    echo "deb $mirror $suite main" >"$work/etc/apt/sources.list"

# A /dev of its own: the machine's devices stay out of reach, and out of any removal.
mount -t proc proc "$work/proc"
mount -t sysfs sysfs "$work/sys"
mount -t tmpfs -o mode=0755,nosuid dev "$work/dev"
for d in "null 1 3" "zero 1 5" "full 1 7" "random 1 8" "urandom 1 9" "tty 5 0"; do
    set -- $d
    mknod -m 0666 "$work/dev/$1" c "$2" "$3"
done
mkdir "$work/dev/pts" "$work/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$work/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$work/dev/shm"
ln -s pts/ptmx "$work/dev/ptmx"
ln -s /proc/self/fd "$work/dev/fd"
for i in 0 1 2; do ln -s "/proc/self/fd/$i" "$work/dev/$(echo stdin stdout stderr | cut -d' ' -f$((i + 1)))"; done

chroot "$work" useradd -m -s /bin/bash "$user"
echo "$user ALL=(ALL:ALL) NOPASSWD: ALL" >"$work/etc/sudoers.d/$user"
chmod 0440 "$work/etc/sudoers.d/$user"
home="/home/$user"
git clone -q --no-local "$src" "$work$home/vellumax"
chroot "$work" chown -R "$user:$user" "$home/vellumax"

# As the new user, in a login's environment and nothing more: no LANG, no display.
as_newcomer() {
    chroot --userspec="$user:$user" "$work" /usr/bin/env -i \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/games HOME="$home" \
        /bin/bash -c "cd ~/vellumax && $1" </dev/null
}
step() { # NAME COMMAND
    local t=$SECONDS
    say "$1"
    echo "=== $1" >>"$log"
    # In the background and waited for, so a TERM to this script is acted on at once.
    as_newcomer "$2" >>"$log" 2>&1 &
    if ! wait $!; then
        tail -60 "$log" >&2
        fail "\"$1\" failed after $((SECONDS - t)) s; the whole output is $log"
    fi
    say "\"$1\" passed in $((SECONDS - t)) s"
}

step "./scripts/test.sh" "./scripts/test.sh"
step "./scripts/run.sh" "./scripts/run.sh"

# One PDF per sample, named after it, with the sample's words in it. Right-to-left words come
# out of pdftotext in visual order, so only the others are compared.
pdfs="$work$home/PDF"
samples=("$work$home"/vellumax/samples/*.txt)
count=$(find "$pdfs" -maxdepth 1 -name '*.pdf' | wc -l)
[ "$count" -eq "${#samples[@]}" ] ||
    fail "$home/PDF holds $count PDFs for ${#samples[@]} samples: $(ls "$pdfs" 2>&1 | tr '\n' ' ')"
for s in "${samples[@]}"; do
    name=$(basename "$s" .txt)
    [ -f "$pdfs/$name.pdf" ] || fail "no $name.pdf in $home/PDF"
    text=$(as_newcomer "pdftotext -enc UTF-8 ~/PDF/$name.pdf -" | tr -s '[:space:]' ' ')
    for word in $(tr -s '[:space:]' '\n' <"$s" | LC_ALL=C.UTF-8 grep -Pv '[\x{0590}-\x{08FF}]'); do
        case "$text" in *"$word"*) ;; *) fail "$name.pdf lacks \"$word\"" ;; esac
    done
done
say "$home/PDF holds one searchable PDF per sample"

# Removal takes "PDF Printer", its backend and its policy; a reinstall brings the printer back.
step "sudo apt-get remove vellumax" "sudo apt-get remove -y -qq vellumax >/dev/null"
as_newcomer "lpstat -v PDF_Printer" >/dev/null 2>&1 && fail "PDF_Printer is left after remove"
[ ! -e "$work/usr/lib/cups/backend/vellumax-pdf" ] || fail "the backend is left after remove"
grep -q '<Policy vellumax-pdf>' "$work/etc/cups/cupsd.conf" &&
    fail "the queue's policy is left in cupsd.conf after remove"
step "reinstall the built .deb" \
    "sudo apt-get install -y -qq ./build/package/vellumax_*.deb >/dev/null && lpstat -v PDF_Printer"
say "passed: both README commands as $user with sudo, removal and reinstall"
