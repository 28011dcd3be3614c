#!/usr/bin/env bash
# End to end under Wine through our own "PDF Printer": a private cupsd with the queue
# PDF_Printer on our backend, a Wine prefix whose default printer "PDF Printer" prints to it,
# and textprint.exe printing three samples (one with Greek and Cyrillic). Each PDF must land in
# ~/PDF under the file's name, and the share of the words pdftotext gives back is reported.
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

# textprint.exe prints each file itself. (vellumax.exe, once built, converts the same copies
# as one list: copy_samples, the run, then check_pdf for each file.)
prefix="tp$$x$(date +%s)"
copy_samples "$prefix"
for file in "$work/files/$prefix"-*.txt; do
    if wine "$root/build/win/bin/textprint.exe" /p "$(windows_path "$file")"; then
        check_pdf "$file"
    else
        echo "FAIL $(basename "$file"): textprint.exe /p failed" >&2
        failed=1
    fi
done
echo "textprint.exe through \"PDF Printer\": $found_all of $total_all words back" \
    "($((total_all > 0 ? found_all * 100 / total_all : 0))%)"
exit "$failed"
