#!/usr/bin/env bash
# Makes sure CUPS runs and that "PDF Printer" exists: the queue PDF_Printer on the cups-pdf
# backend, described "PDF Printer". PDFs land in ~/PDF of the user who prints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${PRINT_PACKAGES[@]}"

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    if [ -d /run/systemd/system ]; then
        as_root systemctl start cups
    else
        as_root cupsd   # no service manager here: cupsd goes to the background itself
    fi
    for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
fi
if ! lpstat -p PDF_Printer >/dev/null 2>&1; then
    as_root lpadmin -p PDF_Printer -D "PDF Printer" -v cups-pdf:/ \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E
    echo "Created the printer \"PDF Printer\" (queue PDF_Printer); PDFs land in ~/PDF."
fi
