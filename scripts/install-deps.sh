#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need.
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build ccache pkg-config qt6-base-dev qt6-svg-dev libgsf-1-dev libxlsxwriter-dev libofx-dev libgtest-dev libbenchmark-dev
  # run: "Arial" resolves to its metric twin
  fonts-liberation2
  # tests: readers of .xls and .xlsx nobody here wrote, a virtual display, and clang for the fuzzers
  python3-xlrd python3-openpyxl libreoffice-calc-nogui gnumeric xvfb xauth xdotool clang libclang-rt-14-dev
  # tests: an SVG reader nobody here wrote draws our SVG as the preview does
  librsvg2-bin
  # tests: read back the pages and text of the PDFs the program writes
  poppler-utils
  # tests of the install and the package: validators of the desktop entry and
  # the metadata, the manual-page formatter, dpkg-shlibdeps and lintian
  desktop-file-utils appstream man-db dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
