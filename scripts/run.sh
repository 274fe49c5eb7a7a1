#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVANTA_TESTS=OFF
cmake --build build --target brevanta brevanta_data   # the program and its hand cursor
exec ./build/app/brevanta "$@"
