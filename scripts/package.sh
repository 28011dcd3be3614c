#!/usr/bin/env bash
# Builds the Debian package from a copy of the tree in build/package and prints the .deb's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

out="$root/build/package"
src="$out/vellumax"
rm -rf "$src" "$out"/vellumax_*
mkdir -p "$src"
# dpkg-buildpackage writes beside the source folder, so the copy keeps it inside build/.
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./out -cf - . | tar -C "$src" -xf -
if command -v ccache >/dev/null; then
    export CCACHE_DIR="${CCACHE_DIR:-$(ccache -k cache_dir)}" CCACHE_BASEDIR="$src"
fi
(cd "$src" && dpkg-buildpackage -b -us -uc -j"$(nproc)" >"$out/build.log" 2>&1) || {
    tail -40 "$out/build.log" >&2
    echo "The package did not build; the whole log is $out/build.log" >&2
    exit 1
}
ls "$out"/vellumax_*.deb
