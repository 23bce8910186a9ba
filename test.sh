#!/usr/bin/env bash
# Set up, build under AddressSanitizer and UndefinedBehaviorSanitizer, run
# every test, then run each fuzzer for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh

JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
status=0

# The code keeps the format .clang-format gives it (the planted files of the
# layering test's fixture are data, not code of the project).
git ls-files '*.cpp' '*.h' | grep -v '^tests/layers/planted/' |
  xargs clang-format --dry-run --Werror || { echo "clang-format: the files above differ from .clang-format"; status=1; }

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIREL_SANITIZE=ON -DMIREL_WERROR=ON -DMIREL_BENCHMARKS=OFF
cmake --build build/test -j "$JOBS"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/test -j "$JOBS" --output-on-failure --timeout 300 || status=1

# ThreadSanitizer: a build of its own holding only the tests whose threads
# share data (the mixer's output thread, the single-instance lock, the
# loading threads that decode pictures and sounds), and only those run.
tsan_targets=(audio_mixer_test audio_sdl_output_test platform_system_tests kernel_application_tests
  base_tests gfx_image_tests sound_sounds_test)
tsan_tests='^(Mixer|MixerLifecycle|SdlOutput|SingleInstance|OrderedJobs)\.'
tsan_tests+='|^Application\.(SecondStart|Loader)|^LogTest\.HeldLines|^(ImageManagerTest|Manager)\.Threads'
launchers=()
if command -v ccache > /dev/null; then
  launchers=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIREL_SANITIZE_THREAD=ON -DMIREL_WERROR=ON -DMIREL_BENCHMARKS=OFF "${launchers[@]}"
if cmake --build build/tsan -j "$JOBS" --target "${tsan_targets[@]}"; then
  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan -j "$JOBS" --output-on-failure --timeout 300 \
    -R "$tsan_tests" || status=1
else
  status=1
fi

# Fuzzers: a clang build of the libFuzzer targets, each run for FUZZ_SECONDS.
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DMIREL_FUZZ=ON -DMIREL_TESTS=OFF -DMIREL_BENCHMARKS=OFF
  if [ -s build/fuzz/fuzzers.txt ]; then
    cmake --build build/fuzz -j "$JOBS" --target fuzzers
    fuzz_failed=0
    pids=()
    names=()
    while read -r f; do
      [ -n "$f" ] || continue
      exe=$(find build/fuzz -name "$f" -type f -perm -u+x | head -n1)
      mkdir -p "build/fuzz/corpus/$f"
      # Seeds: text ones committed, binary and large ones made by the build
      # (tools/fuzzseeds). A fuzzer without any fails: it would start blind.
      seeds=()
      for d in "tests/fuzz-seeds/$f" "build/fuzz/fuzz-seeds/$f"; do
        if [ -d "$d" ]; then seeds+=("$d"); fi
      done
      if [ ${#seeds[@]} -eq 0 ]; then
        echo "fuzz $f: FAILED, no seeds (tests/fuzz-seeds/$f or tools/fuzzseeds)"
        fuzz_failed=1
        continue
      fi
      # Inputs too large to fuzz from run once each, before the fuzzing.
      if [ -d "build/fuzz/fuzz-regressions/$f" ] &&
        ! "$exe" -runs=0 -rss_limit_mb=2048 -timeout=30 -artifact_prefix="build/fuzz/$f-" \
          "build/fuzz/fuzz-regressions/$f" \
          > "build/fuzz/$f-regressions.log" 2>&1; then
        echo "fuzz $f: FAILED on a regression input"
        tail -n 40 "build/fuzz/$f-regressions.log"
        fuzz_failed=1
        continue
      fi
      "$exe" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="build/fuzz/$f-" "build/fuzz/corpus/$f" "${seeds[@]}" \
        > "build/fuzz/$f.log" 2>&1 &
      pids+=($!)
      names+=("$f")
      # at most JOBS fuzzers at once
      while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do sleep 1; done
    done < build/fuzz/fuzzers.txt
    for i in "${!pids[@]}"; do
      if wait "${pids[$i]}"; then
        echo "fuzz ${names[$i]}: ok ($(grep -o 'Done [0-9]* runs' "build/fuzz/${names[$i]}.log" | tail -n1))"
      else
        echo "fuzz ${names[$i]}: FAILED"
        tail -n 40 "build/fuzz/${names[$i]}.log"
        fuzz_failed=1
      fi
    done
    [ $fuzz_failed -eq 0 ] || status=1
  fi
fi

exit $status
