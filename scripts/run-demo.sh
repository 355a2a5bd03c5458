#!/usr/bin/env bash
# Builds the program, creates the demo suite in demo/ (once) and runs the program on it with the
# embedded database. Extra arguments go to the program (convênio, cash register, session, payment).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}
suite=${DEMO_SUITE:-$here/demo}
if [ ! -f "$suite/PRAXOLIN.INI" ]; then
  "$build/tools/setup/praxolin-setup" --suite "$suite"
fi
export PRAXOLIN_HOME="$suite"
# The program follows the workstation's locale for numbers and dates, as on Windows; the demo runs
# as a Brazilian workstation does (DEMO_LOCALE names another).
export LC_ALL=${DEMO_LOCALE:-pt_BR.UTF-8}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a "$build/app/Convenios" "$@"
fi
exec "$build/app/Convenios" "$@"
