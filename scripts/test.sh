#!/usr/bin/env bash
# Builds and runs the whole suite twice: a normal build, then one under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for variant in build:OFF build-asan:ON; do
  dir=${variant%%:*}; san=${variant##*:}
  cmake -S . -B "$dir" -G Ninja -DTESSEL_WERROR=ON -DTESSEL_SANITIZE="$san" -DTESSEL_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure
done
