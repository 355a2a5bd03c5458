#!/usr/bin/env bash
# Builds the project (Release), creates the scale suites once (1,000,000 and 100,000 orders, and the
# 100,000 made like the old programs' before and after --upgrade, kept in $SCALE_DIR,
# /tmp/convenios-scale by default, and rebuilt when the schema or the generator changes)
# and runs the benchmarks, which print one figure per line: program ms, floor ms, ratio.
# Extra arguments go to convenios-bench (for example --runs 3 or --only quitar,period).
# Then the figures of a workstation of a Firebird server: a private server on this machine (port
# $BENCH_SERVER_PORT, by default FB_TEST_PORT + 100) reached directly, and through
# scripts/delay-proxy.py at a 10 ms round trip (a VPN between two shops) and at 30 ms (shops in
# different towns), or the round trips listed in $BENCH_ROUND_TRIPS; each server run says whether
# the wire compression was in force, each proxy run how many bytes went each way.
# $BENCH_NETWORK_ARGS go to those runs. BENCH_NETWORK=0 leaves them out.
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
bench="$build/tools/bench/convenios-bench"
"$bench" --suite "$scale/1m" --small "$scale/100k" --work "$scale/work" \
  --old-style "$scale/old-style" --upgraded "$scale/upgraded" "$@"
# Billing the company: its statement, spreadsheet, payroll file and e-mail, on data made in memory.
if [ "${BENCH_BILLING:-1}" = 1 ]; then
  "$build/tools/bench/billing-bench"
fi

[ "${BENCH_NETWORK:-1}" = 1 ] || exit 0
port=${BENCH_SERVER_PORT:-$(( ${FB_TEST_PORT:-3057} + 100 ))}
proxy_port=$((port + 1))
server_dir="$scale/server"
proxy_pid=
stop_network() {
  [ -n "$proxy_pid" ] && kill "$proxy_pid" 2>/dev/null || true
  "$here/scripts/fbserver.sh" stop "$server_dir"
}
trap stop_network EXIT
"$here/scripts/fbserver.sh" start "$server_dir" "$port" >/dev/null
read -r -a network <<< "${BENCH_NETWORK_ARGS:---only startup,statement,quitar,period,posting,closing,growth --runs 3}"
"$bench" --suite "$scale/1m" --work "$scale/work-server" --server "127.0.0.1/$port" "${network[@]}"
# Through the delay proxy at each round trip of BENCH_ROUND_TRIPS (ms; half of it each way), each
# run with its own count of round trips and of the bytes sent each way.
for trip in ${BENCH_ROUND_TRIPS:-10 30}; do
  stats="$server_dir/proxy-stats-$trip"
  rm -f "$stats"
  python3 "$here/scripts/delay-proxy.py" "$proxy_port" "127.0.0.1:$port" "$(awk "BEGIN { print $trip / 2 }")" --stats "$stats" &
  proxy_pid=$!
  for _ in $(seq 1 50); do [ -f "$stats" ] && break; sleep 0.1; done
  echo "# through the delay proxy, a $trip ms round trip"
  "$bench" --suite "$scale/1m" --work "$scale/work-server" --server "127.0.0.1/$proxy_port" "${network[@]}"
  read -r connections turns up down < "$stats"
  echo "# delay proxy, $trip ms: $connections connections, $turns round trips, $((up / 1024)) KB sent up, $((down / 1024)) KB sent down"
  kill "$proxy_pid" 2>/dev/null || true
  wait "$proxy_pid" 2>/dev/null || true
  proxy_pid=
done
