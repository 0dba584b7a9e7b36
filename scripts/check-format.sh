#!/usr/bin/env bash
# Fails when any C++ file of the project differs from what the project's .clang-format makes.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror $files; then
  echo "check-format: run 'clang-format -i' on the files above" >&2
  exit 1
fi
echo "check-format: $(echo "$files" | wc -l) files formatted"
