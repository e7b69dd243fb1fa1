#!/usr/bin/env bash
# Runs every vitrinex-cli command line README.md shows, in its order, on a copy of the sample
# collection, so the README cannot drift from the program: each must succeed and say nothing on
# standard error. Every command of `vitrinex-cli --help` must be among them.
#   test_readme_commands.sh SOURCE_DIR CLI HAS_PRINT
set -u
source_dir=$1 cli=$2 has_print=$3
PATH=$(dirname "$cli"):$PATH
status=0
fail() { echo "FAIL: $*"; status=1; }

mapfile -t lines < <(sed -n 's/^ \{4,\}\(vitrinex-cli .*\)/\1/p' "$source_dir/README.md")
[ ${#lines[@]} -gt 0 ] || { echo "FAIL: README.md shows no vitrinex-cli command line"; exit 1; }
for command in $(vitrinex-cli --help | sed -n 's/^  vitrinex-cli \([a-z-]*\) .*/\1/p' | sort -u); do
  printf '%s\n' "${lines[@]}" | grep -q "^vitrinex-cli $command " || fail "README.md shows no '$command'"
done

cp "$source_dir/assets/samples/Vintage Heroes.fcd" heroes.fcd
cp "$source_dir/assets/samples/update.auf" update.auf
cp "$source_dir/assets/samples/captain-comet.jpg" captain-comet.jpg
# `update` talks to the local catalog server, on a free loopback port it prints first.
bash "$source_dir/scripts/update-server.sh" >server.out 2>server.err &
server=$!
trap 'kill $server 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s server.out ] && break; sleep 0.1; done
export VITRINEX_UPDATE_HOST=$(head -n 1 server.out)

for line in "${lines[@]}"; do
  if [ "$has_print" != 1 ] && [[ $line == "vitrinex-cli print "* ]]; then
    echo "skipped (print is only in a build with the windows): $line"
    continue
  fi
  bash -c "$line" >out 2>err
  rc=$?
  if [ $rc -ne 0 ] || [ -s err ]; then
    fail "$line: status $rc"
    cat err
  fi
done
exit $status
