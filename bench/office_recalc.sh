#!/bin/sh
# LibreOffice's full recalculation of the longest register (32,768 rows) as
# .xls and .xlsx, beside the same rows without formulas: medians of RUNS.
# Needs python3-uno. Extra workbooks (say, ones an older build wrote) are
# timed the same way.
# Usage: bench/office_recalc.sh BUILD [RUNS] [WORKBOOK...]
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
runs=${2:-5}
[ $# -ge 2 ] && shift 2 || shift $#
work=$(mktemp -d)
port=$((20000 + $$ % 20000))
soffice_pid=
finish() {
    status=$?
    if [ -n "$soffice_pid" ]; then
        kill "$soffice_pid" 2>/dev/null || true
        wait "$soffice_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM

for kind in xls xlsx; do
    "$build/app/brevanta-register" --rows 32768 -o "$work/register-32768.$kind" >/dev/null 2>&1
done
# soffice.bin itself, so that its id is the process to end. Its first start
# in a new profile only makes the profile and asks for a restart (81).
office=/usr/lib/libreoffice/program/soffice.bin
"$office" -env:UserInstallation=file://$work/profile --headless --norestore --terminate_after_init >/dev/null 2>&1 || true
"$office" -env:UserInstallation=file://$work/profile --headless --invisible \
    --norestore --nologo --accept="socket,host=127.0.0.1,port=$port;urp;" >/dev/null 2>&1 &
soffice_pid=$!
/usr/bin/python3 "$here/office_recalc.py" "$port" "$runs" "$work/register-32768.xls" "$work/register-32768.xlsx" "$@"
