#!/bin/sh
# Pictures of both windows for the README, in a light and a dark theme
# (Fusion, with a dark palette), at 100 % and at QT_SCALE_FACTOR=2:
#
#   bash docs/screenshots.sh [BUILD-FOLDER]      (default: build-tests)
#
# The build folder is configured with -DBREVANTA_TESTS=ON; the script builds
# what it needs there. The register picture in the preview is made by
# brevanta-register from a few example transactions. The windows are drawn
# on Qt's offscreen platform, so no display is needed; the user's settings
# are not read (the main window keeps its list in a temporary folder).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build-tests}
out="$here/screenshots"
mkdir -p "$out"
cmake --build "$build" --target window_screenshots brevanta-register
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/register.csv" <<'CSV'
Date,Number,Description,Category,Cleared,Debit,Credit
2013-01-01,1,Sold My Used Car,Automotive,Yes,,5000
2013-01-02,2,Thundercats Collection,Toys,Yes,,55
2013-01-05,101,Grocery Mart,Groceries,Yes,84.20,
2013-01-09,102,City Power & Light,Utilities,,61.75,
2013-01-15,,Paycheck,Salary,Yes,,"2,150.00"
CSV
"$build/app/brevanta-register" --csv "$work/register.csv" -o "$work/register.xls" --picture "$work/register.png" >/dev/null
# A screen tall enough for both windows at their opening size, also at 2x:
# the windows fit themselves to a shorter screen.
cat >"$work/screen.json" <<'JSON'
{"screens": [{"name": "shots", "x": 0, "y": 0, "width": 2800, "height": 2800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" XDG_CONFIG_HOME="$work/config" HOME="$work"
for theme in light dark; do
  "$build/tests/app/window_screenshots" "$theme" "$work/register.png" "$out" ""
  QT_SCALE_FACTOR=2 "$build/tests/app/window_screenshots" "$theme" "$work/register.png" "$out" "-2x"
done
# Only small pictures belong in the repository.
for picture in "$out"/*.png; do
  size=$(wc -c <"$picture")
  [ "$size" -lt 200000 ] || echo "note: $picture is $size bytes, too large to commit"
done
