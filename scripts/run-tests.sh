#!/usr/bin/env bash
# Builds the project and runs every test: the unit and window tests on the embedded engine and the
# server suite against a private Firebird server started here on 127.0.0.1.
# TEST_LABELS (a ctest -L regex) narrows the run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}

fbdir=$(mktemp -d /tmp/convenios-fbserver.XXXXXX)
port=${FB_TEST_PORT:-3057}
trap '"$here/scripts/fbserver.sh" stop "$fbdir"; rm -rf "$fbdir"' EXIT
"$here/scripts/fbserver.sh" start "$fbdir" "$port" >/dev/null
export FB_TEST_SERVER="127.0.0.1/$port"
export QT_QPA_PLATFORM=offscreen

args=(--test-dir "$build" --output-on-failure --timeout 900 -j 2)
[ -n "${TEST_LABELS:-}" ] && args+=(-L "$TEST_LABELS")
ctest "${args[@]}"
