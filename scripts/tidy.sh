#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the project's own sources, using the
# compile commands of a configured build (default build/dev).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
files=$(git ls-files 'src/*.cpp' 'tools/*.cpp')
# Qt's generated sources must exist before their includers can be checked.
cmake --build "$build" -j "$(nproc)" >/dev/null
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
  >"$build/clang-tidy.log" 2>&1 || true
grep -v 'warnings generated' "$build/clang-tidy.log" || true
if grep -q 'error:' "$build/clang-tidy.log"; then
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: $(echo "$files" | wc -l) files clean"
