#!/usr/bin/env bash
# Starts a local catalog update server: Debian's nginx on a free loopback port, with a config of its
# own and a temporary document root holding "update.auf" and "hwupdate.auf" (the samples made for
# assets/samples/, or the files of --root DIR). Prints the host:port to put in VITRINEX_UPDATE_HOST
# on its first line and serves until it is interrupted; everything it made is removed on exit.
#   scripts/update-server.sh [--root DIR] [--port PORT]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source_root=$here/assets/samples
port=
while [ $# -gt 0 ]; do
  case $1 in
    --root) source_root=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    *) echo "usage: $0 [--root DIR] [--port PORT]" >&2; exit 2 ;;
  esac
done

nginx=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$nginx" ] || { echo "update-server: nginx is not installed (scripts/setup.sh installs nginx-light)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vitrinex-update-server.XXXXXX")
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

# nginx started as root serves as an unprivileged user: the root and the folders above it must be
# readable by everyone.
chmod 755 "$work"
mkdir -m 755 "$work/www" "$work/temp"
for f in "$source_root"/*; do
  [ -f "$f" ] && install -m 644 "$f" "$work/www/"
done

if [ -z "$port" ]; then
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
fi

cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/temp;
  proxy_temp_path $work/temp;
  fastcgi_temp_path $work/temp;
  uwsgi_temp_path $work/temp;
  scgi_temp_path $work/temp;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF

"$nginx" -e "$work/error.log" -p "$work" -c "$work/nginx.conf" -g 'daemon off;' &
pid=$!
for _ in $(seq 50); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "127.0.0.1:$port"
    wait "$pid"
    exit $?
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
echo "update-server: nginx did not start:" >&2
cat "$work/error.log" >&2 2>/dev/null || true
exit 1
