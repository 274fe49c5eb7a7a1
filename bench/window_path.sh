#!/usr/bin/env bash
# The window path beside LibreOffice and ssconvert, under a real X11 display
# (Xvfb) and on the offscreen platform, then zoom, scroll and drag at 32,768
# rows under Xvfb. Build first with -DBREVANTA_BENCH=ON; pass the build folder.
#
#   bash bench/window_path.sh [build-folder] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "## Real X11 window (Xvfb)"
xvfb-run -a -s '-screen 0 1280x1024x24' "$build/bench/generate_bench" --runs "$runs"
echo
echo "## Offscreen platform"
QT_QPA_PLATFORM=offscreen "$build/bench/generate_bench" --runs "$runs" --no-others
echo
echo "## Zoom, scroll and drag at 32,768 rows (Xvfb), from the event to the painted viewport"
xvfb-run -a -s '-screen 0 1280x1024x24' "$build/bench/window_bench" --rows 32768 --runs 1 --interactions --file-size 2>&1 |
  grep -E '^(zoom|picture file|rows|peak before)'
xvfb-run -a -s '-screen 0 1280x1024x24' "$build/bench/window_bench" --rows 1000 --runs 1 --file-size 2>&1 | grep -E '^picture file'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
