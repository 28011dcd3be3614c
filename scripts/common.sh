# Shared by the set-up scripts: run as root, or through sudo.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages that are missing; quick when none is.
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts the machine's CUPS when it is not running; cupsd itself where no service manager is.
ensure_cups_running() {
    lpstat -r 2>/dev/null | grep -q "is running" && return 0
    if [ -d /run/systemd/system ]; then
        as_root systemctl start cups
    else
        as_root cupsd   # goes to the background itself
    fi
    for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libcups2-dev libgtest-dev
                libpango1.0-dev libcairo2-dev fonts-liberation)
# cups-filters brings pdftopdf, the one filter a PDF job passes on its way to "PDF Printer".
# The fonts: DejaVu for Latin, Greek, Cyrillic, Arabic and Hebrew, Droid Sans Fallback for
# Chinese and Japanese (under 2 MB).
PRINT_PACKAGES=(cups cups-client cups-bsd cups-filters fonts-dejavu-core fonts-droid-fallback)
# Building and checking the Debian package.
PACKAGE_PACKAGES=(build-essential dpkg-dev debhelper fakeroot lintian desktop-file-utils appstream)
# The Windows build of the layers below the window and its test run under Wine.
WINE_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64)
# The fuzz targets: clang with its libFuzzer and sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# Only the benchmarks compare against cups-pdf and enscript.
BENCH_PACKAGES=(printer-driver-cups-pdf ghostscript enscript poppler-utils time fd-find)
