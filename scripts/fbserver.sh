#!/usr/bin/env bash
# Starts (or stops) a private Firebird server for the tests: Debian's own server binary, listening on
# 127.0.0.1 only, with its own configuration, security database (SYSDBA password "tulipgate") and
# lock folder under a directory of the caller's choosing.
#   scripts/fbserver.sh start DIR [PORT]   prints the port it listens on
#   scripts/fbserver.sh stop DIR
set -euo pipefail
cmd=${1:?start|stop}
dir=${2:?directory}
port=${3:-3057}
fbhome=/usr/lib/x86_64-linux-gnu/firebird/3.0

case "$cmd" in
start)
  # A server already answering there is someone else's: waiting for "ours" would hand its caller
  # that one, which its owner may stop at any moment.
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "Port $port on 127.0.0.1 is already in use: choose another (FB_TEST_PORT)" >&2
    exit 1
  fi
  mkdir -p "$dir/root" "$dir/lock"
  root="$dir/root"
  for f in plugins UDF firebird.msg lib; do ln -sfn "$fbhome/$f" "$root/$f"; done
  # The character-set module is copied, not linked: the engine refuses one that lives elsewhere.
  mkdir -p "$root/intl"
  cp "$fbhome/intl/libfbintl.so" "$root/intl/libfbintl.so"
  cp "$fbhome/intl/fbintl.conf" "$root/intl/fbintl.conf"
  cp "$fbhome/plugins.conf" "$root/" 2>/dev/null || true
  cat > "$root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
ServerMode = Super
DatabaseAccess = Full
UdfAccess = None
IpcName = FIREBIRD_TEST_$port
AuthServer = Srp, Legacy_Auth
AuthClient = Srp, Legacy_Auth
UserManager = Srp
WireCrypt = Enabled
SecurityDatabase = $root/security3.fdb
CONF
  echo "security.db = $root/security3.fdb" > "$root/databases.conf"
  if [ ! -f "$root/security3.fdb" ]; then
    cp /var/lib/firebird/3.0/system/security3.fdb "$root/security3.fdb"
    chmod u+w "$root/security3.fdb"
    echo "create or alter user SYSDBA password 'tulipgate' using plugin Srp; commit;" |
      FIREBIRD="$root" FIREBIRD_LOCK="$dir/lock" isql-fb -q -user SYSDBA "$root/security3.fdb" >/dev/null
  fi
  FIREBIRD="$root" FIREBIRD_LOCK="$dir/lock" nohup /usr/sbin/firebird > "$dir/server.log" 2>&1 &
  echo $! > "$dir/server.pid"
  for _ in $(seq 1 300); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; exit 0; fi
    sleep 0.2
  done
  echo "Firebird server did not start; see $dir/server.log" >&2
  cat "$dir/server.log" >&2 || true
  exit 1
  ;;
stop)
  if [ -f "$dir/server.pid" ]; then
    kill "$(cat "$dir/server.pid")" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$(cat "$dir/server.pid")" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$(cat "$dir/server.pid")" 2>/dev/null || true
    rm -f "$dir/server.pid"
  fi
  ;;
esac
