#!/usr/bin/env bash
# Builds the Debian package and checks it: the file list and modes, lintian, the desktop entry
# and metainfo validators, and that the unpacked programs find their files relative to themselves.
# `cmake --install` of the build folder must lay out the same files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
ensure_packages strace poppler-utils
deb=$("$root/scripts/package.sh")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

# Every file the package holds, with its mode; the backend must be root's and 0700.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | sort >"$tmp/files"
sort >"$tmp/expected" <<'LIST'
-rw-r--r-- root/root ./etc/xdg/vellumax/classes.reg
-rw-r--r-- root/root ./lib/systemd/system/vellumax-pdf-printer.service
-rwxr-xr-x root/root ./usr/bin/textprint
-rwxr-xr-x root/root ./usr/bin/vellumax
-rwx------ root/root ./usr/lib/cups/backend/vellumax-pdf
-rwxr-xr-x root/root ./usr/lib/cups/filter/vellumax-textprint
-rwxr-xr-x root/root ./usr/libexec/vellumax/textprint-alert
-rwxr-xr-x root/root ./usr/libexec/vellumax/vellumax-pdf-queue
-rw-r--r-- root/root ./usr/share/applications/org.vellumax.Vellumax.desktop
-rw-r--r-- root/root ./usr/share/doc/vellumax/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/vellumax/copyright
-rw-r--r-- root/root ./usr/share/doc/vellumax/user-guide.html
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/vellumax.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/vellumax.svg
-rw-r--r-- root/root ./usr/share/lintian/overrides/vellumax
-rw-r--r-- root/root ./usr/share/man/man1/textprint.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/vellumax.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/org.vellumax.Vellumax.metainfo.xml
-rw-r--r-- root/root ./usr/share/vellumax/HAND-M.CUR
-rw-r--r-- root/root ./usr/share/vellumax/drag.ico
-rw-r--r-- root/root ./usr/share/vellumax/vellumax-pdf.ppd
LIST
diff -u "$tmp/expected" "$tmp/files" || fail "the package's files differ from the layout"
dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//' | sort >"$tmp/depends"
for need in libcups2 libqt6widgets6 cups cups-client cups-filters fonts-dejavu-core \
    fonts-noto-core fonts-wqy-microhei xdg-utils; do
    grep -qx "$need" "$tmp/depends" || fail "Depends lacks $need"
done

lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || { cat "$tmp/lintian"; fail "lintian reports errors"; }
x="$tmp/x"
dpkg -x "$deb" "$x"
# Hints too: an entry in no main category hides in a catch-all menu.
hints=$(desktop-file-validate "$x/usr/share/applications/org.vellumax.Vellumax.desktop" 2>&1) &&
    [ -z "$hints" ] || fail "the desktop entry is not clean: $hints"
appstreamcli validate --no-net "$x/usr/share/metainfo/org.vellumax.Vellumax.metainfo.xml" >/dev/null
grep -qF '@="\"/usr/bin/textprint\""' "$x/etc/xdg/vellumax/classes.reg" ||
    fail "the installed hive does not name the installed textprint"
bash -n "$x/usr/libexec/vellumax/vellumax-pdf-queue"
grep -q "<h2.*Installing" "$x/usr/share/doc/vellumax/user-guide.html" || fail "the guide lacks its sections"

# The unpacked word processor writes a searchable PDF, and on a failure with a display it starts
# its alert helper from libexec (a recorder stands in for it here).
"$x/usr/bin/textprint" --pdf "$tmp/one.pdf" "$root/samples/sample-one.txt"
pdftotext "$tmp/one.pdf" - | grep -q . || fail "the unpacked textprint wrote no text"
printf '#!/bin/sh\necho "$1" >"%s"\n' "$tmp/alerted" >"$x/usr/libexec/vellumax/textprint-alert"
if DISPLAY=:999 "$x/usr/bin/textprint" --pdf "$tmp/two.pdf" "$tmp/missing.txt" 2>/dev/null; then
    fail "textprint took a missing file"
fi
for _ in $(seq 50); do [ -s "$tmp/alerted" ] && break; sleep 0.1; done
grep -q missing.txt "$tmp/alerted" || fail "textprint did not find its alert helper in libexec"

# The unpacked window loads its cursor from share/vellumax, never from beside itself.
mkdir "$tmp/home"
if ! strace -qq -o /dev/null true 2>/dev/null; then
    echo "package test: strace cannot trace here; the window's own lookup is not checked"
else
    HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" CUPS_SERVER="$tmp/no-cups.sock" \
    QT_QPA_PLATFORM=offscreen timeout -s TERM 5 \
        strace -f -qq -e trace=%file -o "$tmp/trace" "$x/usr/bin/vellumax" || true
    grep -q "\"$x/usr/share/vellumax/HAND-M.CUR\"" "$tmp/trace" ||
        fail "the unpacked vellumax did not look for its cursor in share/vellumax"
    if grep -q "\"$x/usr/bin/HAND-M.CUR\"" "$tmp/trace"; then
        fail "the unpacked vellumax looked for its cursor beside itself"
    fi
fi

# The unpacked queue script against a private cupsd: the policy goes in once however often the
# package is configured, and removal leaves the admin's cupsd.conf as it was, own edits included.
c="$tmp/cups"
mkdir -p "$c/spool/tmp" "$c/cache" "$c/state" "$c/log" "$c/ppd" "$c/bin/backend"
chmod 0755 "$tmp" "$c"
chmod 01777 "$c/spool/tmp"
for f in /usr/lib/cups/*; do [ "${f##*/}" = backend ] || ln -s "$f" "$c/bin/"; done
cp -p "$x/usr/lib/cups/backend/vellumax-pdf" "$c/bin/backend/"
# Run by an ordinary user, cupsd takes lpadmin's requests only from its SystemGroup.
system_group=root
[ "$(id -u)" -eq 0 ] || system_group=$(id -gn)
printf '%s\n' "Listen $c/sock" "WebInterface No" "DefaultAuthType Basic" "<Location />" \
    "Order allow,deny" "Allow all" "</Location>" "<Policy default>" "<Limit All>" \
    "Order deny,allow" "</Limit>" "</Policy>" >"$c/cupsd.conf"
printf '%s\n' "ServerRoot $c" "RequestRoot $c/spool" "TempDir $c/spool/tmp" "CacheDir $c/cache" \
    "StateDir $c/state" "ErrorLog $c/log/error_log" "ServerBin $c/bin" "SystemGroup $system_group" \
    >"$c/cups-files.conf"
cp "$c/cupsd.conf" "$c/before"
/usr/sbin/cupsd -f -c "$c/cupsd.conf" -s "$c/cups-files.conf" &
cupsd_pid=$!
# Signalled only while still running as our job: a pid that has ended may be another's by now.
trap 'jobs -pr | grep -x "$cupsd_pid" >/dev/null && kill "$cupsd_pid"; wait "$cupsd_pid" 2>/dev/null; rm -rf "$tmp"' EXIT
queue() { PATH="$PATH:/usr/sbin:/sbin" CUPS_SERVER="$c/sock" CUPS_SERVERROOT="$c" "$x/usr/libexec/vellumax/vellumax-pdf-queue" "$@"; }
for _ in $(seq 100); do CUPS_SERVER="$c/sock" lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
for _ in 1 2; do
    queue add "$x/usr/share/vellumax/vellumax-pdf.ppd" >"$tmp/add.log" 2>&1 ||
        { cat "$tmp/add.log"; fail "the queue script could not add PDF_Printer"; }
done
[ "$(grep -c '^<Policy vellumax-pdf>' "$c/cupsd.conf")" = 1 ] || fail "the policy is not in cupsd.conf once"
CUPS_SERVER="$c/sock" lpstat -v PDF_Printer >/dev/null 2>&1 || fail "no PDF_Printer after add"
sed -i 's/^WebInterface No$/WebInterface Yes/' "$c/cupsd.conf" "$c/before"
queue remove
CUPS_SERVER="$c/sock" lpstat -v PDF_Printer >/dev/null 2>&1 && fail "PDF_Printer is left after remove"
cmp -s "$c/before" "$c/cupsd.conf" || { diff "$c/before" "$c/cupsd.conf"; fail "remove changed cupsd.conf"; }

# cmake --install lays out the same files under any prefix.
cmake --install "$root/build/default" --prefix "$tmp/prefix" >/dev/null
sed 's/^.* //; s|^\./usr/|./|; s|\.1\.gz$|.1|' "$tmp/expected" |
    grep -v -e systemd -e /changelog -e /copyright -e lintian | sort >"$tmp/want"
(cd "$tmp/prefix" && find . -type f | sort) >"$tmp/installed"
diff -u "$tmp/want" "$tmp/installed" || fail "cmake --install lays out other files than the package"
echo "package test: $deb passed"
