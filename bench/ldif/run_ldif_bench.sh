#!/bin/sh
# Loads and counts an LDIF export of ENTRIES entries (default 1,000,000) in two shapes, about
# 1,000 containers and ENTRIES/2 containers, each side by side with grep -c '^dn:' on the same
# file in one run, and prints the load/grep ratio and the process's peak memory.
# Usage: bench/ldif/run_ldif_bench.sh BUILD_DIR [ENTRIES]   (BUILD_DIR: a Release build)
set -eu
build=${1:?usage: $0 BUILD_DIR [ENTRIES]}
entries=${2:-1000000}
here=$(dirname "$0")
cmake --build "$build" --target bench_ldif -j2 >/dev/null
for containers in 1000 $((entries / 2)); do
    [ "$containers" -ge 112 ] || containers=112
    file=/tmp/vantor-bench-${entries}-${containers}.ldif
    [ -f "$file" ] || python3 "$here/make_big_ldif.py" "$file" "$entries" "$containers"
    cat "$file" >/dev/null  # both runs read from the page cache
    json=$(mktemp)
    VANTOR_BENCH_LDIF=$file "$build/bench/ldif/bench_ldif" --benchmark_out="$json" \
        --benchmark_out_format=json >/dev/null
    python3 - "$json" "$entries" "$containers" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
grep, load = runs["BM_GrepCountDn"], runs["BM_LoadAndCount"]
ratio = load["real_time"] / grep["real_time"]
print("%s entries, %s containers: grep -c %.0f ms, load and count %.0f ms, "
      "load/grep = %.2f (target 3), peak memory %.0f MB"
      % (sys.argv[2], sys.argv[3], grep["real_time"], load["real_time"], ratio, load["peak_MB"]))
PY
    rm -f "$json"
done
