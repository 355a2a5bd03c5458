#!/usr/bin/env bash
# Builds the project (Release), creates the scale suites once (1,000,000 and 100,000 orders, and the
# 100,000 made like the old programs' before and after --upgrade, kept in $SCALE_DIR,
# /tmp/convenios-scale by default, and rebuilt when the schema or the generator changes)
# and runs the benchmarks, which print one figure per line: program ms, floor ms, ratio.
# Extra arguments go to convenios-bench (for example --runs 3 or --only quitar,period).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${BUILD_DIR:-$here/build-release}
BUILD_DIR="$build" BUILD_TYPE=Release "$here/scripts/build.sh"

scale=${SCALE_DIR:-/tmp/convenios-scale}
mkdir -p "$scale"
stamp=$(cat "$here/schema/central.sql" "$here/schema/interface.sql" "$here/data/ModuleSchema.cpp" \
  "$here/tools/setup/ScaleData.cpp" "$here/tools/setup/SuiteBuilder.cpp" | sha1sum | cut -c1-16)
make_suite() {   # folder, extra options
  local dir=$1
  shift
  if [ -f "$dir/dados/praxolin.bd" ] && [ "$(cat "$dir/.scale-stamp" 2>/dev/null)" = "$stamp" ]; then
    return
  fi
  echo "Creating the scale suite $dir (a few minutes) ..."
  "$build/tools/setup/praxolin-setup" --suite "$dir" --force --scale "$@"
  echo "$stamp" > "$dir/.scale-stamp"
}
make_suite "$scale/1m"
make_suite "$scale/100k" --orders 100000
# The same 100,000 orders in databases made the way the suite's old programs made them (no character
# set, keys only), and a copy of it brought up to date by praxolin-setup --upgrade.
make_suite "$scale/old-style" --orders 100000 --old-style
if [ "$(cat "$scale/upgraded/.scale-stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$scale/upgraded"
  cp -r "$scale/old-style" "$scale/upgraded"
  rm -f "$scale/upgraded/.scale-stamp"
  echo "praxolin-setup --suite $scale/upgraded --upgrade"
  "$build/tools/setup/praxolin-setup" --suite "$scale/upgraded" --upgrade
  echo "$stamp" > "$scale/upgraded/.scale-stamp"
fi

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
exec "$build/tools/bench/convenios-bench" --suite "$scale/1m" --small "$scale/100k" --work "$scale/work" \
  --old-style "$scale/old-style" --upgraded "$scale/upgraded" "$@"
