#!/usr/bin/env bash
# Builds and runs the whole suite twice: a normal build, then one under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# One format for the whole tree: a file clang-format would change fails the run.
if command -v clang-format >/dev/null; then
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
fi
# The two builds use different generators on purpose: they link objects in a different
# order, so anything that depends on the order in which globals initialise fails here.
for variant in "build:OFF:Ninja" "build-asan:ON:Unix Makefiles"; do
  IFS=: read -r dir san generator <<<"$variant"
  cmake -S . -B "$dir" -G "$generator" -DTESSEL_WERROR=ON -DTESSEL_SANITIZE="$san" \
    -DTESSEL_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" -j "$(nproc)"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
done
# The plan reader and the product bitmap reader under libFuzzer, from the sample
# plans and bitmaps. A fixed seed and a fixed number of runs make a failure here one
# that the next run meets again; longer searches with other seeds are run by hand.
if command -v clang++ >/dev/null; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTESSEL_FUZZ=ON -DTESSEL_SANITIZE=ON -DTESSEL_BUILD_BENCH=OFF -DTESSEL_BUILD_APP=OFF >/dev/null
  cmake --build build-fuzz --target plan_fuzzer bitmap_fuzzer
  # libFuzzer adds what it finds to the corpus folder: each run starts from the samples
  # alone, so that the seed gives the same run every time.
  rm -rf build-fuzz/corpus build-fuzz/bitmap-corpus
  mkdir -p build-fuzz/corpus build-fuzz/bitmap-corpus
  cp tests/data/plans/*.tsd build-fuzz/corpus/
  cp tests/data/bitmaps/*.bmp build-fuzz/bitmap-corpus/
  fuzz() {  # name, corpus folder, longest input, runs
    local log="build-fuzz/$1.log"
    if ! "build-fuzz/bin/$1" -artifact_prefix=build-fuzz/ -seed=1 -runs="$4" \
      -max_total_time=120 -max_len="$3" -print_final_stats=1 "$2" >"$log" 2>&1; then
      # The report and the input that failed, so that a run elsewhere can be replayed here.
      { grep -v -E '^#[0-9]+' "$log" | grep -v 'NEW_FUNC' || true; } | tail -60
      echo "$1 failed; its full log is $log"
      return 1
    fi
    tail -3 "$log"
  }
  # About ten seconds each on this machine: a plan is drawn and saved, a bitmap only read.
  fuzz plan_fuzzer build-fuzz/corpus 4096 40000
  fuzz bitmap_fuzzer build-fuzz/bitmap-corpus 8192 2000000
fi
