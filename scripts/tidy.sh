#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the project's own sources that a
# configured build (default build/dev) compiles, with that build's own compile commands.
# Sources outside it (the artwork tool has a build of its own) would be checked with guessed
# flags and report false errors.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
# Qt's generated sources must exist before their includers can be checked.
cmake --build "$build" -j "$(nproc)" >/dev/null
files=$(python3 - "$build/compile_commands.json" <<'PY'
import json, os, subprocess, sys
built = {os.path.realpath(c["file"]) for c in json.load(open(sys.argv[1]))}
own = subprocess.run(["git", "ls-files", "src/*.cpp", "tools/*.cpp"], capture_output=True,
                     text=True, check=True).stdout.split()
print("\n".join(f for f in own if os.path.realpath(f) in built))
PY
)
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
  >"$build/clang-tidy.log" 2>&1 || true
grep -v 'warnings generated' "$build/clang-tidy.log" || true
if grep -q 'error:' "$build/clang-tidy.log"; then
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: $(echo "$files" | wc -l) files clean"
