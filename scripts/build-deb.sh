#!/usr/bin/env bash
# Builds the Debian package from a built build folder and checks it: the
# control fields and contents with dpkg-deb, then lintian, which must report
# no error. Usage: scripts/build-deb.sh [BUILD_DIR] [OUT_DIR]
# Exits 77 (CTest's "skipped") when a tool it needs is not installed.
set -euo pipefail
build=$(realpath "${1:-build}")
out=${2:-$build/package}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (Debian packages dpkg-dev and lintian)"
    exit 77
  fi
done

rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out"
debs=("$out"/*.deb)
deb=${debs[0]}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

fail() { echo "FAIL: $*"; exit 1; }
field() { dpkg-deb --field "$deb" "$1"; }
dpkg-deb --info "$deb"
[ "$(field Package)" = brevanta ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), not $version"
depends=$(field Depends)
for needed in fonts-liberation2 qt6-qpa-plugins libqt6core6 libqt6widgets6 libc6; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/brevanta usr/bin/brevanta-register usr/share/brevanta/HAND-M.CUR \
            usr/share/applications/app.brevanta.Brevanta.desktop \
            usr/share/metainfo/app.brevanta.Brevanta.metainfo.xml \
            usr/share/man/man1/brevanta.1.gz usr/share/man/man1/brevanta-register.1.gz \
            usr/share/doc/brevanta/copyright; do
  grep -q " \./$file\$" <<<"$contents" || fail "$file is not in the package"
done
grep -q " \./usr/local/" <<<"$contents" && fail "the package installs into /usr/local"

# The unpacked tools run from wherever they land.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/brevanta-register" --sample -o "$unpacked/x.xls" \
  || fail "the packaged brevanta-register cannot build the sample workbook"
"$unpacked/usr/bin/brevanta" --version | grep -qx "brevanta $version" || fail "brevanta --version"

as_root=()
[ "$(id -u)" -ne 0 ] || as_root=(--allow-root)
report=$(lintian "${as_root[@]}" --display-info "$deb" 2>&1) || true
echo "$report"
if grep -q '^E:' <<<"$report"; then fail "lintian reports errors"; fi
echo "OK: $deb"
