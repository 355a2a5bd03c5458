#!/usr/bin/env bash
# Fuzzes the readers of the files that other programs write (PRAXOLIN.INI, LOGON.LLF, CaminhoGDS.txt)
# and the password coding with libFuzzer: builds the targets of tools/fuzz with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer into build-fuzz/ (or $BUILD_DIR) and runs each for a bounded time,
# starting from its corpus folder tests/fuzz-corpus/<target>/. The inputs found are merged back into
# that folder only where they reach code the corpus did not reach yet, so it stays small. A crash (or
# a fault that the target's checks find, a timeout, running out of memory) is kept in
# tests/fuzz-corpus/<target>/crashes/ and fails the run; tests/tst_fuzzcorpus replays it from then on.
#   FUZZ_SECONDS   time per target (60)
#   FUZZ_TARGETS   the targets to run (all four: ini logon caminhogds codificasenha)
#   FUZZ_MERGE=0   leaves the corpus folders as they are
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh" clang libclang-rt-14-dev

targets=(${FUZZ_TARGETS:-ini logon caminhogds codificasenha})
seconds=${FUZZ_SECONDS:-60}
build=${BUILD_DIR:-$here/build-fuzz}
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCONVENIOS_FUZZ=ON -DCONVENIOS_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

# Undefined behaviour stops the target, so libFuzzer keeps the input like any crash.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
status=0
for t in "${targets[@]}"; do
  corpus="$here/tests/fuzz-corpus/$t"
  work="$build/fuzz-work/$t"
  mkdir -p "$corpus/crashes" "$work"
  options=(-max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$corpus/crashes/")
  [ -f "$here/tools/fuzz/$t.dict" ] && options+=(-dict="$here/tools/fuzz/$t.dict")
  echo "== fuzz_$t: ${seconds}s on $corpus"
  # The corpus folder is read only; what the run finds goes to the work folder.
  if ! "$build/tools/fuzz/fuzz_$t" "${options[@]}" "$work" "$corpus" 2>"$build/fuzz-$t.log"; then
    status=1
    echo "fuzz_$t found a fault; see $build/fuzz-$t.log and $corpus/crashes/"
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)|^==[0-9]+==ERROR|^fault:|SUMMARY' \
    "$build/fuzz-$t.log" || true
  if [ "${FUZZ_MERGE:-1}" != 0 ]; then
    before=$(find "$corpus" -maxdepth 1 -type f | wc -l)
    # Counted by the code reached alone (not how often), so only an input that reaches new code is kept.
    "$build/tools/fuzz/fuzz_$t" -merge=1 -use_counters=0 -max_len=4096 "$corpus" "$work" 2>>"$build/fuzz-$t.log"
    echo "   corpus: $before -> $(find "$corpus" -maxdepth 1 -type f | wc -l) files"
  fi
  rmdir "$corpus/crashes" 2>/dev/null || true
done
exit $status
