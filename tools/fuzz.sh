#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the trace language with libFuzzer (clang, AddressSanitizer, UBSan), then minimises the
# kept corpus.
#   tools/fuzz.sh [SECONDS]   fuzz for SECONDS (300 by default), then rewrite tests/fuzz/corpus
# Builds in build-fuzz (or VELMARO_FUZZ_BUILD_DIR). Inputs found along the way stay in
# <build>/corpus; a crashing input is written to <build>/artifacts and the script exits 1.
set -euo pipefail

seconds=${1:-300}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMARO_FUZZ_BUILD_DIR:-$root/build-fuzz}
fuzz=$root/tests/fuzz

# shellcheck source=tools/lib/packages.sh
source "$root/tools/lib/packages.sh"
ensure_packages clang libclang-rt-14-dev llvm cmake make libgtest-dev libgmock-dev

sanitize="-fsanitize=fuzzer-no-link,address,undefined,float-divide-by-zero -fno-sanitize-recover=all"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DVELMARO_BUILD_FUZZ=ON -DVELMARO_BUILD_TABLE=OFF \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="${sanitize/fuzzer-no-link,/}"
cmake --build "$build" -j "$(nproc)" --target trace_fuzzer

# The golden traces join the hand-written seeds as starting points.
mkdir -p "$build/corpus" "$build/artifacts" "$build/golden"
cp "$root"/tests/trace/golden/*.trace "$build/golden/"
fuzzer=("$build/tests/fuzz/trace_fuzzer" -dict="$fuzz/trace.dict" -max_len=4096)

"${fuzzer[@]}" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/artifacts/" \
    "$build/corpus" "$fuzz/corpus" "$fuzz/seeds" "$build/golden"

# Keep a small set of inputs that reaches every edge reached so far (edges only, not how often
# each was taken, or the kept corpus grows by hundreds of files a run).
minimised=$(mktemp -d)
"${fuzzer[@]}" -use_counters=0 -merge=1 "$minimised" "$fuzz/corpus" "$build/corpus" "$fuzz/seeds" "$build/golden"
rm -f "$fuzz"/corpus/*
cp "$minimised"/* "$fuzz/corpus/"
rm -rf "$minimised"
kept=("$fuzz"/corpus/*)
echo "fuzz: ${#kept[@]} inputs kept in tests/fuzz/corpus"
