#!/usr/bin/env bash
# Sets up the machine, builds the programs and counts the bundled sample directory: in the
# window when there is a display, with the command-line counter otherwise. Arguments go to
# the program (for example --ldif FILE, or -H ldap://server -x).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vantor vantor-count

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/app/vantor "$@"
fi
echo "No display: counting with the command-line counter (build/release/src/cli/vantor-count)." >&2
exec build/release/src/cli/vantor-count "$@"
