#!/usr/bin/env bash
# End to end under Wine through our own "PDF Printer": a private cupsd with the queue
# PDF_Printer on our backend, a Wine prefix whose printer "PDF Printer" prints to it, and three
# samples (one with Greek and Cyrillic) printed by textprint.exe, then converted as one list by
# vellumax.exe on a virtual screen. Each PDF must land in ~/PDF under the file's name, and the
# share of the words pdftotext gives back is reported.
# Run by wine-tests.sh once build/win and build/default are built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-pdf-printer.sh"

# The private cupsd and our backend are Linux programs of the default build.
if [ ! -f "$root/build/default/build.ninja" ]; then
    (cd "$root" && cmake --preset default -G Ninja >/dev/null)
fi
cmake --build "$root/build/default" -j2 --target private-cups

work="$root/build/win/print-test"
rm -rf "$work/files"
mkdir -p "$work/files"
xvfb_start "$work/xvfb-display"
wine_pdf_printer_start "$work"

# Every word of these must come back; the rest of the third sample (Chinese, Japanese,
# Hebrew, Arabic) depends on the fonts Wine finds and is only counted.
required='Vellumax|sample|one|Plain|text|becomes|PDF|you|can|search|Sample|two|indented|with|tab|Ends|here|three|café|naïve|déjà|vu|Ελληνικά|Русский'

found_all=0 total_all=0 failed=0

# Waits for the PDF of the text file FILE (named PREFIX-SAMPLE.txt), counts the words that
# come back, and fails when a required one is missing. The PDF is removed afterwards.
check_pdf() {
    local file=$1 name pdf found total back need
    name=$(basename "$file" .txt)
    if ! pdf=$(pdf_with_marker "$name"); then
        failed=1
        return
    fi
    read -r found total < <(word_share "$file" "$pdf")
    found_all=$((found_all + found)) total_all=$((total_all + total))
    echo "$name: $found of $total words back from $(basename "$pdf")"
    back=$(pdftotext "$pdf" - | tr -s ' \t\f' '\n\n\n' | grep -cxE "$required" || true)
    need=$(tr -s ' \t\f' '\n\n\n' <"$file" | grep -cxE "$required" || true)
    if [ "$back" -lt "$need" ]; then
        echo "FAIL $name: $((need - back)) of its Latin, Greek or Cyrillic words are missing:" >&2
        pdftotext "$pdf" - >&2
        failed=1
    fi
    rm -f "$pdf"
}

# Copies of the samples under names no other run uses: PREFIX-sample-one.txt and so on.
copy_samples() {
    local prefix=$1 sample
    for sample in sample-one sample-two sample-three; do
        cp "$root/samples/$sample.txt" "$work/files/$prefix-$sample.txt"
    done
}

share() {
    echo "$1 through \"PDF Printer\": $found_all of $total_all words back" \
        "($((total_all > 0 ? found_all * 100 / total_all : 0))%)"
    found_all=0 total_all=0
}

# textprint.exe prints each file itself. A box it shows would wait for ever: it has two minutes.
prefix="tp$$x$(date +%s)"
copy_samples "$prefix"
for file in "$work/files/$prefix"-*.txt; do
    if timeout 120 wine "$root/build/win/bin/textprint.exe" /p "$(windows_path "$file")"; then
        check_pdf "$file"
    else
        echo "FAIL $(basename "$file"): textprint.exe /p failed" >&2
        failed=1
    fi
done
share textprint.exe

# vellumax.exe converts fresh copies as one list: window_tests.exe adds them through the Open
# dialog, presses "Convert To PDF" and answers each "Done." box once textprint.exe is done. The
# prefix names no word processor, so the one beside vellumax.exe prints; "Office Printer", a
# printer that makes no PDF, is the default before and must be again afterwards.
prefix="vx$$x$(date +%s)"
copy_samples "$prefix"
files=
for file in "$work/files/$prefix"-*.txt; do files+="${files:+;}$(windows_path "$file")"; done
if VELLUMAX_E2E_FILES=$files timeout 600 wine "$root/build/win/bin/window_tests.exe" \
    --gtest_filter='EndToEnd.*' --gtest_brief=1; then
    for file in "$work/files/$prefix"-*.txt; do check_pdf "$file"; done
else
    echo "FAIL vellumax.exe did not convert the samples" >&2
    failed=1
fi
share vellumax.exe
exit "$failed"
