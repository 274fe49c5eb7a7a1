#!/bin/sh
# Makes the committed fixtures of tests/xls:
#   fixtures/office_plain.xls  a small sheet LibreOffice saved as .xls (from office_plain.csv)
#   fuzz_seeds/*               files and bare workbook streams our writer makes
# Usage: tests/xls/make_fixtures.sh <build folder>   (after building xls_make_register_file)
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
make_file="$build/tests/xls/xls_make_register_file"
profile=$(mktemp -d)
soffice -env:UserInstallation=file://$profile --headless --norestore --infilter=CSV:44,34,76 \
    --convert-to xls --outdir "$here/fixtures" "$here/fixtures/office_plain.csv"
rm -rf "$profile"
mkdir -p "$here/fuzz_seeds"
"$make_file" "$here/fuzz_seeds/register-2.xls" 2
"$make_file" "$here/fuzz_seeds/register-2.stream" 2 stream
"$make_file" "$here/fuzz_seeds/register-zero-5.xls" 5 zero
cp "$here/fixtures/office_plain.xls" "$here/fuzz_seeds/office_plain.xls"
