#!/usr/bin/env bash
# Builds the Debian package from a copy of the tree in build/package and prints the .deb's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
# Standard output is the .deb's path and nothing else: callers take it as such.
exec 3>&1 1>&2
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

out="$root/build/package"
src="$out/vellumax"
mkdir -p "$out"
# The same sources give the same package: a tree that has not changed since the last build keeps
# its .deb, so run.sh after test.sh does not build it all again.
tree() { tar -C "$root" --exclude=./build --exclude=./.git --exclude=./out "$@" -cf - .; }
sum=$(tree --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner | sha256sum)
debs=("$out"/vellumax_*.deb)
if [ -f "${debs[0]}" ] && [ "$(cat "$out/source.sum" 2>/dev/null)" = "$sum" ]; then
    ls "${debs[@]}" >&3
    exit 0
fi
rm -rf "$src" "$out"/vellumax_* "$out/source.sum"
mkdir -p "$src"
# dpkg-buildpackage writes beside the source folder, so the copy keeps it inside build/.
tree | tar -C "$src" -xf -
if command -v ccache >/dev/null; then
    export CCACHE_DIR="${CCACHE_DIR:-$(ccache -k cache_dir)}" CCACHE_BASEDIR="$src"
fi
(cd "$src" && dpkg-buildpackage -b -us -uc -j"$(nproc)" >"$out/build.log" 2>&1) || {
    tail -40 "$out/build.log" >&2
    echo "The package did not build; the whole log is $out/build.log" >&2
    exit 1
}
echo "$sum" >"$out/source.sum"
ls "$out"/vellumax_*.deb >&3
