#!/usr/bin/env bash
# Builds the project and runs every test: the unit and window tests on the embedded engine and the
# server suite against a private Firebird server started here on 127.0.0.1.
# TEST_LABELS (a ctest -L regex) narrows the run.
# A second configuration runs the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (CONVENIOS_SANITIZE) into build-asan/ (or $SANITIZE_BUILD_DIR): SANITIZE=1 runs only that one,
# SANITIZE=also runs both, the normal one first. The default (and CI) runs the normal one.
# Findings inside Firebird's or Qt's own libraries are suppressed by tests/sanitizers/*.supp.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"

mode=${SANITIZE:-}
[ -n "$mode" ] || mode=0
case "$mode" in
0 | "") configs=(normal) ;;
also) configs=(normal sanitize) ;;
*) configs=(sanitize) ;;
esac
build_dir() { [ "$1" = normal ] && echo "${BUILD_DIR:-$here/build}" || echo "${SANITIZE_BUILD_DIR:-$here/build-asan}"; }
for c in "${configs[@]}"; do
  if [ "$c" = normal ]; then
    BUILD_DIR=$(build_dir "$c") "$here/scripts/build.sh"
  else
    BUILD_DIR=$(build_dir "$c") "$here/scripts/build.sh" -DCONVENIOS_SANITIZE=ON
  fi
done

fbdir=$(mktemp -d /tmp/convenios-fbserver.XXXXXX)
port=${FB_TEST_PORT:-3057}
trap '"$here/scripts/fbserver.sh" stop "$fbdir"; rm -rf "$fbdir"' EXIT
"$here/scripts/fbserver.sh" start "$fbdir" "$port" >/dev/null
export FB_TEST_SERVER="127.0.0.1/$port"
export QT_QPA_PLATFORM=offscreen

status=0
for c in "${configs[@]}"; do
  args=(--test-dir "$(build_dir "$c")" --output-on-failure --timeout 900 -j 2)
  [ -n "${TEST_LABELS:-}" ] && args+=(-L "$TEST_LABELS")
  if [ "$c" = normal ]; then
    ctest "${args[@]}" || status=1
  else
    echo "== The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
    sup="$here/tests/sanitizers"
    # intercept_tls_get_addr=0: the sanitizer runtime of GCC 12 (up to GCC 13 and LLVM 16) takes a
    # thread's dynamically loaded TLS block that happens to start 16 bytes into a page for the header
    # of glibc before 2.25, reads a made-up range from it, and LeakSanitizer's scan then crashes
    # ("Tracer caught signal 11", exit 1) instead of checking for leaks. The thread that waits for the
    # shutdown signals meets it after Firebird's engine ran on it. Without the interception the
    # leak check gives up only the engine's dynamic TLS as a source of live pointers, so it can
    # report more, never less.
    ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0 \
    LSAN_OPTIONS=suppressions=$sup/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$sup/ubsan.supp \
      ctest "${args[@]}" || status=1
  fi
done
exit $status
