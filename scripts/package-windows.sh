#!/usr/bin/env bash
# Builds the Windows installer (an MSI, made with wixl) and the portable zip into
# build/windows/ from the cross build in build/win: whichever of vellumax.exe and textprint.exe
# are built there, the hand cursor, the user guide and the licence.
#
# An MSI rather than an NSIS installer: it is what organisations deploy by policy, Windows
# Installer itself keeps the record of every file and key (so removal is complete and a major
# upgrade first removes the older version whole), and one package installs for all users in
# Program Files or, without admin rights, for one user (MSIINSTALLPERUSER=1).
#
# VELLUMAX_PACKAGE_VERSION overrides the version, VELLUMAX_PACKAGE_OUT the output folder and
# VELLUMAX_PACKAGE_EXTRA adds files; the install test uses them to make an older package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages wixl zip

# The project's version and the commit count as the build number: every commit's package
# upgrades the one before.
build_number=$(git -C "$root" rev-list --count HEAD 2>/dev/null || echo 0)
version=${VELLUMAX_PACKAGE_VERSION:-$(sed -n 's/^project(Vellumax VERSION \([0-9.]*\).*/\1/p' \
    "$root/CMakeLists.txt").$build_number}
upgrade_code=3E7A4C52-9B1D-4F6A-8C2E-5D0B7A913F64

# A name-based GUID (RFC 4122, version 5) for NAME under the upgrade code. The product code
# follows the version, so a package rebuilt at the same version is the same product, never a
# second entry beside it (a major upgrade only replaces lower versions).
guid_for() {
    local hex variant
    hex=$({
        printf "$(sed 's/../\\x&/g' <<<"${upgrade_code//-/}")"
        printf '%s' "$1"
    } | sha1sum | cut -c1-32)
    variant=$(printf '%x' $(((16#${hex:16:1} & 3) | 8)))
    hex="${hex:0:12}5${hex:13:3}$variant${hex:17}"
    printf '%s-%s-%s-%s-%s' "${hex:0:8}" "${hex:8:4}" "${hex:12:4}" "${hex:16:4}" "${hex:20:12}" |
        tr a-f A-F
}
out=${VELLUMAX_PACKAGE_OUT:-$root/build/windows}
win="$root/build/win"
linux="$root/build/default"

# The Windows programs, and the Linux build's tools that draw the cursor and write the guide.
if [ ! -f "$win/build.ninja" ]; then
    cmake -S "$root" -B "$win" -G Ninja --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$win" -j2
if [ ! -f "$linux/build.ninja" ]; then
    (cd "$root" && cmake --preset default -G Ninja >/dev/null)
fi
cmake --build "$linux" -j2 --target cursor_files make_guide

stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
programs=()
for exe in vellumax.exe textprint.exe; do
    if [ -f "$win/bin/$exe" ]; then
        x86_64-w64-mingw32-strip -o "$stage/$exe" "$win/bin/$exe"
        programs+=("$exe")
    fi
done
if [ ! -f "$stage/textprint.exe" ]; then
    echo "package-windows: textprint.exe is not built in $win/bin" >&2
    exit 1
fi
cp "$linux/bin/HAND-M.CUR" "$stage/"
QT_QPA_PLATFORM=offscreen "$linux/bin/make_guide" "$root/README.md" "$stage/user-guide.html" \
    "Installing on Windows" "Using it" >/dev/null
sed 's/$/\r/' "$root/debian/copyright" >"$stage/licence.txt"
for extra in ${VELLUMAX_PACKAGE_EXTRA:-}; do cp "$extra" "$stage/"; done

xml() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

# One component a file, its GUID derived from its path by wixl, so it stays across versions.
wxs="$out/vellumax.wxs"
{
    cat <<HEAD
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="$(guid_for "product $version")" Name="Vellumax" Language="1033"
           Version="$version" Manufacturer="Vellumax developers" UpgradeCode="$upgrade_code">
    <!-- perUser scope marks the package as needing no elevation; ALLUSERS=2 then installs for
         everyone in Program Files, or with MSIINSTALLPERUSER=1 for this user alone. -->
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perUser"
             Description="Vellumax $version"/>
    <Property Id="ALLUSERS" Value="2"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <Property Id="ARPNOREPAIR" Value="1"/>
    <Property Id="ARPHELPLINK" Value="[INSTALLDIR]user-guide.html"/>
    <Media Id="1" Cabinet="vellumax.cab" EmbedCab="yes"/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of Vellumax is already installed."/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="Vellumax">
HEAD
    n=0
    for path in "$stage"/*; do
        n=$((n + 1))
        name=$(basename "$path")
        echo "          <Component Id=\"file$n\" Guid=\"*\" Win64=\"yes\">"
        echo "            <File Id=\"file$n\" Name=\"$(xml "$name")\" Source=\"$(xml "$name")\" KeyPath=\"yes\"/>"
        echo "          </Component>"
    done
    cat <<MENU
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Component Id="menu" Guid="*">
MENU
    if [ -f "$stage/vellumax.exe" ]; then
        echo '          <Shortcut Id="window" Name="Vellumax" Description="Turns text files into PDFs"'
        echo '                    Target="[INSTALLDIR]vellumax.exe" WorkingDirectory="INSTALLDIR"/>'
    fi
    cat <<TAIL
          <Shortcut Id="guide" Name="Vellumax User Guide" Target="[INSTALLDIR]user-guide.html"
                    WorkingDirectory="INSTALLDIR"/>
          <RegistryValue Root="HKCU" Key="Software\\Vellumax" Name="StartMenu" Type="integer"
                         Value="1" KeyPath="yes"/>
        </Component>
      </Directory>
    </Directory>
    <Feature Id="Vellumax" Level="1">
TAIL
    for i in $(seq "$n"); do echo "      <ComponentRef Id=\"file$i\"/>"; done
    cat <<END
      <ComponentRef Id="menu"/>
    </Feature>
  </Product>
</Wix>
END
} >"$wxs"

msi="$out/vellumax-$version-x64.msi"
zip="$out/vellumax-$version-windows-x64.zip"
rm -f "$out"/vellumax-*-x64.msi "$out"/vellumax-*-windows-x64.zip
(cd "$stage" && wixl -a x64 -o "$msi" "$wxs")
# The zip holds one folder, so it unpacks tidily anywhere and runs from there.
rm -rf "$out/zip" && mkdir -p "$out/zip/Vellumax" && cp "$stage"/* "$out/zip/Vellumax/"
(cd "$out/zip" && zip -q -X -r "$zip" Vellumax)
rm -rf "$out/zip"
echo "Built $msi and $zip with ${programs[*]}"
