#!/usr/bin/env bash
# Runs every benchmark once on a small size, so a benchmark that no longer builds, crashes or
# fails its own checks is caught by CI. Nothing is timed or compared here: figures come from
# the full runs that each benchmark's header describes.
#
#   scripts/bench-smoke.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"

run() {
  echo "-- $*"
  "$@" > /tmp/vantor-bench-smoke.log 2>&1 || {
    cat /tmp/vantor-bench-smoke.log
    echo "bench-smoke: failed: $*" >&2
    exit 1
  }
  tail -n 3 /tmp/vantor-bench-smoke.log
}

run "$build/bench/engine/bench_engine" --benchmark_min_time=0
run "$build/bench/report/bench_report" --benchmark_min_time=0
run env QT_QPA_PLATFORM=offscreen "$build/bench/window/bench_window" 500
run bash bench/ldif/run_ldif_bench.sh "$build" 2000
run bash bench/ldap/run_ldap_bench.sh "$build/src/cli/vantor-count" smoke 1
rm -f /tmp/vantor-bench-smoke.log
echo "bench-smoke: every benchmark ran"
