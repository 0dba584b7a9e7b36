#!/usr/bin/env bash
# Sets up the machine, builds and runs every test: a plain build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
for preset in dev asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "== ${preset}: tests"
  ctest --preset "${preset}"
done
