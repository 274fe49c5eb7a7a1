#!/bin/sh
# Makes the committed fixtures of tests/print with LibreOffice:
#   fixtures/letter_portrait.xls  a sheet set up for Letter portrait, saved as .xls
#                                 by LibreOffice (from letter_portrait.fods)
#   fixtures/libreoffice_pages.txt  for registers of N synthetic rows, the pages
#                                 LibreOffice prints from our workbook: all of them,
#                                 and those that carry any text
# Usage: tests/print/make_fixtures.sh <build folder>   (after building brevanta-register)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
command="$build/app/brevanta-register"
work=$(mktemp -d)
profile=$(mktemp -d)
office() { soffice -env:UserInstallation=file://$profile --headless --norestore "$@" >/dev/null 2>&1; }

office --convert-to xls --outdir "$here/fixtures" "$here/fixtures/letter_portrait.fods"

out="$here/fixtures/libreoffice_pages.txt"
echo "# rows pages pages-with-text   (made by make_fixtures.sh with $(soffice --version | head -1))" > "$out"
for rows in 100 1000; do
    "$command" --rows "$rows" -o "$work/register-$rows.xls"
    office --convert-to pdf --outdir "$work" "$work/register-$rows.xls"
    pages=$(pdfinfo "$work/register-$rows.pdf" | awk '/^Pages:/ { print $2 }')
    written=0
    page=1
    while [ "$page" -le "$pages" ]; do
        if pdftotext -f "$page" -l "$page" "$work/register-$rows.pdf" - | grep -q '[[:alnum:]]'; then
            written=$((written + 1))
        fi
        page=$((page + 1))
    done
    echo "$rows $pages $written" >> "$out"
done
rm -rf "$work" "$profile"
