#!/usr/bin/env bash
# Makes sure CUPS runs and that "PDF Printer" exists: the queue PDF_Printer on the
# vellumax-pdf backend, described "PDF Printer". Its PDFs land in ~/PDF of the user who
# prints, named after the printed file. Run after scripts/setup.sh has built the backend.
# This changes the machine's CUPS set-up (cupsd.conf gets the queue's policy);
# "printing/vellumax-pdf-queue remove" takes it all out again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${PRINT_PACKAGES[@]}"

backend="$root/build/default/bin/vellumax-pdf"
installed=/usr/lib/cups/backend/vellumax-pdf
if [ ! -x "$backend" ]; then
    echo "The PDF Printer backend is not built: run scripts/setup.sh first." >&2
    exit 1
fi
# Mode 0700 and root's: cupsd then runs it as root, and it becomes the job's user itself.
if ! as_root cmp -s "$backend" "$installed"; then
    as_root install -o root -g root -m 0700 "$backend" "$installed"
fi
# Text jobs to the queue go through textprint, run by cupsd as a filter.
filter="$root/build/default/bin/textprint"
if [ -x "$filter" ] && ! as_root cmp -s "$filter" /usr/lib/cups/filter/vellumax-textprint; then
    as_root install -o root -g root -m 0755 "$filter" /usr/lib/cups/filter/vellumax-textprint
fi

ensure_cups_running
# The queue, its policy and its settings: the same script the package runs.
as_root "$root/printing/vellumax-pdf-queue" add "$root/printing/vellumax-pdf.ppd"
# A queue made before text jobs had their filter gets the PPD that names it.
if ! as_root grep -qs vellumax-textprint /etc/cups/ppd/PDF_Printer.ppd; then
    as_root lpadmin -p PDF_Printer -P "$root/printing/vellumax-pdf.ppd" 2>/dev/null || true
fi
