#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test:
#   1. the normal build (warnings as errors): unit tests, end-to-end tests under Xvfb,
#      memcheck runs of kelvaro-batch and of a whole session of the program; benchmarks built
#   2. the AddressSanitizer + UndefinedBehaviorSanitizer build: every test, those that load
#      the GL driver (end-to-end ones and kelvaro-batch's pictures) without leak checks
#   3. the ThreadSanitizer build of the builders' tests (their worker threads), and those tests
#   4. the libFuzzer build (clang): each fuzz target for a short, bounded time
#   5. the browser edition (emscripten): the site built, its module under node against
#      kelvaro-batch of step 1, and the site in headless Chromium
# Exits non-zero when any step fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" tests
jobs=$(nproc)

echo "== normal build"
"$top/scripts/build.sh" build -DKELVARO_WERROR=ON -DKELVARO_TESTS=ON -DKELVARO_BENCHMARKS=ON
echo "== tests (end-to-end ones under Xvfb)"
(cd "$top/build" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure -j "$jobs" -LE fuzz)

echo "== sanitizer build"
"$top/scripts/build.sh" build-asan -DKELVARO_WERROR=ON -DKELVARO_SANITIZE=ON
echo "== tests under the sanitizers"
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs" -LE "e2e|gl|fuzz")
# The real programs under the sanitizers too. Leak checking is off here: the GL driver
# keeps allocations of its own until exit; our code's leaks are checked just above and by
# memcheck in the normal build.
echo "== end-to-end tests and pictures under the sanitizers"
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" ctest --output-on-failure -L "e2e|gl")

echo "== thread sanitizer build (the builders' tests only)"
cmake -S "$top" -B "$top/build-tsan" -G Ninja -DKELVARO_WERROR=ON -DKELVARO_SANITIZE_THREAD=ON >/dev/null
cmake --build "$top/build-tsan" -j "$jobs" --target viz_tests
echo "== builder tests under the thread sanitizer"
(cd "$top/build-tsan" && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j "$jobs" \
  -R "Exactness|WorkerThreads")

echo "== fuzz build"
CC=clang CXX=clang++ "$top/scripts/build.sh" build-fuzz -DKELVARO_FUZZ=ON
echo "== fuzzing"
(cd "$top/build-fuzz" && ctest --output-on-failure -j "$jobs" -L fuzz)

echo "== browser edition: the site"
"$top/scripts/web.sh" build
echo "== the web module under node, against kelvaro-batch"
(cd "$top/web" && KELVARO_BATCH="$top/build/tools/batch/kelvaro-batch" \
  node --test tests/session.test.cjs tests/share_link.test.cjs tests/exactness.test.cjs)
echo "== the site in headless Chromium"
(cd "$top/web" && node --test tests/browser.test.cjs)
