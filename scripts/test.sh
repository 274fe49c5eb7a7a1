#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (CTest).
# Needs no display: GUI tests run on Qt's offscreen platform, and the few
# that need a real window start their own Xvfb. A second, clang build runs
# the fuzz targets under libFuzzer for a short, fixed time each.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
# A compiler cache, where the machine has one, makes a rebuild after a small change quick.
# Paths below the checkout are hashed relative to it, so a clone in any folder
# reuses what an earlier clone compiled.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi

cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVANTA_TESTS=ON "${launcher[@]}"
cmake --build build-tests -j "$jobs"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVANTA_TESTS=ON -DBREVANTA_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}"
cmake --build build-fuzz -j "$jobs" --target brevanta_fuzz_targets

(cd build-tests && ctest --output-on-failure -j "$jobs")
# Each fuzz target runs for a fixed time on one core: run as many at once as there are cores.
(cd build-fuzz && ctest --output-on-failure -L '^fuzz$' -j "$jobs")
