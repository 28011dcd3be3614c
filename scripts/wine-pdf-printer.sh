# Sourced by the Windows end-to-end tests: a Wine prefix whose default printer "PDF Printer"
# prints to our own CUPS queue PDF_Printer on a private cupsd, and helpers to wait for the
# PDFs and measure what text comes back. Needs $root (the source tree).
#
#   wine_pdf_printer_start WORK      private cupsd, then the prefix WORK/wineprefix with the printer
#   wine_pdf_printer_add WORK        "PDF Printer" again, after the prefix's session ended
#   wine_pdf_printer_stop            ends Wine and the cupsd (also on exit)
#   pdf_with_marker MARKER [SECS]    waits for ~/PDF/*MARKER*.pdf and prints its path
#   word_share TEXT_FILE PDF         prints "found total": the text's words that pdftotext returns
#   windows_path PATH                the path as Windows programs under Wine name it
#   xvfb_start FILE                  a virtual screen of its own as DISPLAY (FILE gets its number)

windows_path() {
    printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"
}

# The queue files PDFs in the printing user's own ~/PDF, by the account's home folder.
pdf_folder() {
    printf '%s/PDF' "$(getent passwd "$(id -u)" | cut -d: -f6)"
}

# Xvfb picks a free display itself; another one starting at the same moment may win it, so a
# server that is gone a moment later is started again.
xvfb_start() {
    local file=$1
    for _ in 1 2 3 4 5; do
        rm -f "$file"
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
        _vx_xvfb=$!
        for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
        sleep 1
        kill -0 "$_vx_xvfb" 2>/dev/null && [ -s "$file" ] && break
        _vx_xvfb=
    done
    [ -n "$_vx_xvfb" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$file")"
}

wine_pdf_printer_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "${_vx_xvfb:-}" ]; then kill "$_vx_xvfb" 2>/dev/null || true; _vx_xvfb=; fi
    # Closing its standard input ends the private cupsd and removes its folder.
    if [ -n "${_vx_cups_hold:-}" ]; then exec {_vx_cups_hold}>&-; _vx_cups_hold=; fi
    if [ -n "${_vx_cups_pid:-}" ]; then wait "$_vx_cups_pid" 2>/dev/null || true; _vx_cups_pid=; fi
}

# Wine names the printer after the queue; "PDF Printer" shares its driver and port. Wine
# deletes a printer on a queue's port that no queue is named after whenever a new session's
# first spooler user matches the printers to CUPS; add-printer.exe stays running to hold that
# off (its output tells when the printer is there). Again after each end of the session.
wine_pdf_printer_add() {
    wine "$root/build/win/bin/add-printer.exe" PDF_Printer "PDF Printer" >"$1/add-printer.out" &
    for _ in $(seq 300); do
        grep -q '^added' "$1/add-printer.out" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "\"PDF Printer\" could not be added." >&2
    return 1
}

wine_pdf_printer_start() {
    local work=$1 helper="$root/build/default/bin/private-cups"
    mkdir -p "$work"
    rm -f "$work/hold" && mkfifo "$work/hold"
    "$helper" <"$work/hold" >"$work/cups.out" &
    _vx_cups_pid=$!
    exec {_vx_cups_hold}>"$work/hold"
    trap wine_pdf_printer_stop EXIT
    local socket=
    for _ in $(seq 300); do
        socket=$(head -n1 "$work/cups.out" 2>/dev/null || true)
        [ -n "$socket" ] && break
        kill -0 "$_vx_cups_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$socket" ]; then
        echo "The private cupsd did not start." >&2
        return 1
    fi
    # Wine drops the printers of CUPS queues it cannot see, so the server is up before the
    # prefix's first process; the machine's own CUPS stays out of reach.
    export CUPS_SERVER=$socket
    export CUPS_FOLDER=${socket%/cups.sock}
    export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko prompts, and no menu entries or file types made on this machine for
    # the prefix's shortcuts.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # The prefix's programs show their windows on DISPLAY, as the caller leaves it.
    unset WAYLAND_DISPLAY PRINTER LPDEST
    mkdir -p "$WINEPREFIX"
    wineserver -p >/dev/null 2>&1
    wine wineboot >/dev/null 2>&1
    wine_pdf_printer_add "$work" || return 1
    # Wine's Uniscribe knows no fallback face for Chinese and Japanese (Windows has its own
    # fonts for them); here the Linux face that has them stands in, by script tag (hani, kana).
    local tag
    for tag in 696e6168 616e616b; do
        wine reg add 'HKCU\Software\Wine\Uniscribe\Fallback' /v "$tag" \
            /d "Droid Sans Fallback" /f >/dev/null 2>&1
    done
}

pdf_with_marker() {
    local marker=$1 secs=${2:-120} found
    for _ in $(seq $((secs * 10))); do
        found=$(find "$(pdf_folder)" -maxdepth 1 -name "*$marker*.pdf" 2>/dev/null | head -n1)
        if [ -n "$found" ]; then
            printf '%s\n' "$found"
            return 0
        fi
        sleep 0.1
    done
    echo "No PDF with \"$marker\" in $(pdf_folder) after ${secs}s. The queue's log:" >&2
    tail -n 20 "$CUPS_FOLDER/log/error_log" >&2 2>/dev/null || true
    return 1
}

# Words are what is between white space; each word of the text counts once for each time it
# appears, so a line printed twice does not hide one lost. Arabic comes back from pdftotext
# in presentation forms (the shaped glyphs' names), so it counts as lost here.
word_share() {
    pdftotext "$2" - 2>/dev/null | awk -v text="$1" '
        # pdftotext wraps right-to-left runs in embedding marks (U+202A to U+202E).
        { gsub("\342\200[\252\253\254\255\256]", ""); for (i = 1; i <= NF; i++) got[$i]++ }
        END {
            while ((getline line < text) > 0) {
                n = split(line, w, /[ \t\r\f]+/)
                for (i = 1; i <= n; i++) if (w[i] != "") { total++; if (got[w[i]]-- > 0) found++ }
            }
            printf "%d %d\n", found, total
        }'
}
