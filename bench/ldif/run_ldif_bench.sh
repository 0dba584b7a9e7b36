#!/bin/sh
# Loads a million-entry LDIF export and compares the time with grep -c '^dn:' on the same file.
# Usage: bench/ldif/run_ldif_bench.sh BUILD_DIR [ENTRIES]   (BUILD_DIR: a Release build)
set -eu
build=${1:?usage: $0 BUILD_DIR [ENTRIES]}
entries=${2:-1000000}
here=$(dirname "$0")
file=/tmp/vantor-bench-${entries}.ldif
[ -f "$file" ] || python3 "$here/make_big_ldif.py" "$file" "$entries"
cmake --build "$build" --target bench_ldif -j2 >/dev/null
cat "$file" >/dev/null  # both runs read from the page cache
json=$(mktemp)
VANTOR_BENCH_LDIF=$file "$build/bench/ldif/bench_ldif" --benchmark_out="$json" \
    --benchmark_out_format=json
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
grep, load = runs["BM_GrepCountDn"], runs["BM_LoadLdifFile"]
print("grep -c: %.0f ms, load: %.0f ms, load / grep = %.2f (target 5)" % (grep, load, load / grep))
PY
rm -f "$json"
