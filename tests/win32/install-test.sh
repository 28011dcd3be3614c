#!/usr/bin/env bash
# The MSI under Wine: an older version with a file the new one no longer has, then the new
# one over it, then removal; and the same for one user without admin rights. The prefix's
# files and registry keys are listed before and after, and must be the same. The installed
# textprint.exe prints on "PDF Printer" (our queue on a private cupsd) as the check that
# what was installed runs. Run by wine-tests.sh after package-windows.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-pdf-printer.sh"

work="$root/build/win/install-test"
new=$(ls "$root"/build/windows/vellumax-*-x64.msi | head -n1)
rm -rf "$work"
mkdir -p "$work"
echo "left over from an older version" >"$work/stale-0.0.9.txt"
VELLUMAX_PACKAGE_VERSION=0.0.9 VELLUMAX_PACKAGE_OUT="$work/old" \
    VELLUMAX_PACKAGE_EXTRA="$work/stale-0.0.9.txt" "$root/scripts/package-windows.sh" >/dev/null
old="$work/old/vellumax-0.0.9-x64.msi"

wine_pdf_printer_start "$work" >/dev/null
drive="$WINEPREFIX/drive_c"
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# Files of the prefix, and registry keys with their values, leaving out what Wine itself
# changes as it runs (its temporary files, the registry files' time stamps, window metrics,
# the hardware and printer-driver entries it writes afresh at each start, the default printer
# it takes from CUPS again) and Windows Installer's own folders and keys, which it makes once
# and keeps, as Windows has them from the start (RunServices is made by Wine's msiexec).
snapshot() {
    # The registry reaches its files when the server ends; the next command starts another.
    wineserver -k 2>/dev/null || true
    wineserver -w
    (cd "$drive" && find . -path ./windows/temp -prune -o -path './users/*/AppData/Local/Temp' \
        -prune -o -print | grep -vx './windows/Installer' | sort) >"$work/$1.files"
    for hive in system user; do
        sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' "$WINEPREFIX/$hive.reg" |
            grep -v '^$' | grep -v -i 'metrics\|^"mru' |
            grep -v -E '^"DriverDateData"=|^"device"=|^@="(Display adapters|Monitors)"$' |
            grep -v -E '^\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\NetworkCards\]$' |
            grep -v -E '^\[Software\\\\(Classes\\\\Installer|Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer)\\\\(Features|Products|UpgradeCodes|UserData\\\\S-1-5-18\\\\(Components|Products))\]$' |
            grep -v -E '^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\RunServices\]$' || true
    done >"$work/$1.keys"
    wine_pdf_printer_add "$work"
}

msiexec() {
    wine msiexec "$@"
}

uninstall_entry() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | grep -c 'DisplayName.*REG_SZ.*Vellumax$' || true
}

compare() {
    # The printer's driver is named after our queue's PPD, before and after.
    named=$(comm -13 <(cat "$work"/before.{files,keys} | grep -i vellumax | sort) \
        <(cat "$work/$1".{files,keys} | grep -i vellumax | sort))
    [ -z "$named" ] || fail "$1 left something named Vellumax behind: $named"
    if ! diff -q "$work/before.files" "$work/$1.files" >/dev/null; then
        fail "$1 left files behind or took some away:"
        diff "$work/before.files" "$work/$1.files" | head -n 20 >&2 || true
    fi
    if ! diff -q <(sort "$work/before.keys") <(sort "$work/$1.keys") >/dev/null; then
        fail "$1 left registry entries behind or took some away:"
        diff <(sort "$work/before.keys") <(sort "$work/$1.keys") | head -n 20 >&2 || true
    fi
}

snapshot before
echo "Before: $(wc -l <"$work/before.files") files, $(wc -l <"$work/before.keys") registry lines"

# --- For all users, over an older version ---
msiexec /i "$(windows_path "$old")" /qn || fail "the older MSI did not install"
folder="$drive/Program Files/Vellumax"
[ -f "$folder/stale-0.0.9.txt" ] || fail "the older MSI did not install its own file"
msiexec /i "$(windows_path "$new")" /qn || fail "the MSI did not install over the older one"
snapshot installed
echo "Installed:"
{ diff "$work/before.files" "$work/installed.files" || true; } | sed -n 's/^> /  /p'
for f in textprint.exe HAND-M.CUR user-guide.html licence.txt; do
    [ -f "$folder/$f" ] || fail "$f is not in Program Files\\Vellumax"
done
[ ! -e "$folder/stale-0.0.9.txt" ] || fail "the upgrade kept a file of the older version"
find "$drive" -path '*Start Menu/Programs/Vellumax User Guide.lnk' | grep -q . ||
    fail "no Start-menu shortcut"
[ "$(uninstall_entry)" = 1 ] || fail "not exactly one Vellumax entry in Installed apps"
# The same version built again is the same product, never a second entry.
version=$(basename "$new" -x64.msi)
VELLUMAX_PACKAGE_VERSION=${version#vellumax-} VELLUMAX_PACKAGE_OUT="$work/again" \
    "$root/scripts/package-windows.sh" >/dev/null
msiexec /i "$(windows_path "$work/again/$(basename "$new")")" /qn >/dev/null 2>&1 || true
[ "$(uninstall_entry)" = 1 ] || fail "the same version built again became a second entry"
if [ -f "$folder/vellumax.exe" ]; then
    find "$drive" -path '*Start Menu/Programs/Vellumax.lnk' | grep -q . ||
        fail "no Start-menu shortcut to the window"
fi

# What was installed runs: the installed word processor prints on "PDF Printer".
marker="vxinstall$$"
cp "$root/samples/sample-one.txt" "$work/installed-$marker.txt"
wine "C:\\Program Files\\Vellumax\\textprint.exe" /p "$(windows_path "$work/installed-$marker.txt")" ||
    fail "the installed textprint.exe did not print"
if pdf=$(pdf_with_marker "installed-$marker" 120); then
    read -r found total < <(word_share "$work/installed-$marker.txt" "$pdf")
    echo "The installed textprint.exe printed $found of $total words"
    [ "$found" = "$total" ] || fail "words were lost"
    rm -f "$pdf"
else
    fail "the installed textprint.exe made no PDF"
fi

msiexec /x "$(windows_path "$new")" /qn || fail "the MSI did not uninstall"
snapshot removed
compare removed

# --- For this user alone, as a user without admin rights would ---
msiexec /i "$(windows_path "$new")" MSIINSTALLPERUSER=1 /qn || fail "the per-user install failed"
snapshot peruser
where=$({ diff "$work/before.files" "$work/peruser.files" || true; } | sed -n 's|^> \./\(.*\)/textprint.exe$|\1|p')
echo "Installed for one user in C:\\${where//\//\\}"
[ -n "$where" ] || fail "the per-user install put no textprint.exe anywhere"
msiexec /x "$(windows_path "$new")" /qn || fail "the per-user install did not uninstall"
snapshot peruser-removed
compare peruser-removed

# --- The portable zip, unpacked into a folder with a space and an accent in its name ---
zip=$(ls "$root"/build/windows/vellumax-*-windows-x64.zip | head -n1)
portable="$drive/users/Public/Portable café"
rm -rf "$portable" && mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
cp "$root/samples/sample-two.txt" "$work/portable-$marker.txt"
wine "$(windows_path "$portable/Vellumax/textprint.exe")" /p \
    "$(windows_path "$work/portable-$marker.txt")" || fail "textprint.exe from the zip did not print"
if pdf=$(pdf_with_marker "portable-$marker" 120); then
    echo "textprint.exe from the zip printed $(word_share "$work/portable-$marker.txt" "$pdf" |
        sed 's/ / of /') words"
    rm -f "$pdf"
else
    fail "textprint.exe from the zip made no PDF"
fi
rm -rf "$portable"

[ "$failed" = 0 ] && echo "The MSI installs, upgrades, and removes everything it put there."
exit "$failed"
