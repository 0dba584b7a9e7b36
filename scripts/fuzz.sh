#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each on its seed corpus.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 30; CI uses the default)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVANTOR_FUZZ=ON -DVANTOR_WERROR=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" >/dev/null
targets=(fuzz_ldif fuzz_arguments fuzz_result_text fuzz_profile)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/${name}/." "$work/"
  echo "== ${target}: ${seconds}s"
  "$build/tests/fuzz/${target}" -seed=1 -max_total_time="${seconds}" -print_final_stats=1 \
    -artifact_prefix="$build/${target}-" "$work" 2>&1 | tail -n 4
  rm -rf "$work"
done
