#!/usr/bin/env bash
# Sets up the machine, then runs every gate: formatting, a plain build with warnings as errors
# and all tests (the LDAP tests start their own slapd, 389 Directory Server and Samba AD domain
# controller on 127.0.0.1), static checks, short fuzzing runs, the whole suite again under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, and the optimised build with
# every benchmark run once on a small size and its Debian package built, installed and checked.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# The Samba domain controller of the server tests is provisioned once for the whole run and
# copied for each build's tests (tests/support/SambaAdServer.h).
VANTOR_SERVER_CACHE=$(mktemp -d "${TMPDIR:-/tmp}/vantor-server-cache-XXXXXX")
export VANTOR_SERVER_CACHE
trap 'rm -rf "$VANTOR_SERVER_CACHE"' EXIT

echo "== formatting, layers, option table"
bash scripts/check-format.sh
python3 scripts/check-layers.py src
python3 scripts/gen-docs.py readme README.md --check

jobs=$(nproc)
echo "== dev: configure and build"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "${jobs}"
echo "== dev: tests"
ctest --preset dev

echo "== clang-tidy"
bash scripts/tidy.sh build/dev

echo "== fuzzing"
bash scripts/fuzz.sh "${VANTOR_FUZZ_SECONDS:-30}"

echo "== asan: configure and build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "${jobs}"
echo "== asan: tests"
ctest --preset asan

echo "== release: configure and build"
cmake --preset release >/dev/null
cmake --build --preset release -j "${jobs}"
echo "== release: benchmark smoke runs"
bash scripts/bench-smoke.sh build/release
echo "== release: the Debian package"
bash scripts/check-package.sh build/release
