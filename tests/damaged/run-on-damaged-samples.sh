#!/usr/bin/env bash
# Runs test binaries against a copy of the program folder whose sample
# databases are damaged, each in another way. Tests are expected to fail
# there; what must never happen is a crash (a signal, a sanitizer report):
# a test that meets a damaged database fails cleanly and the others go on.
#
#   run-on-damaged-samples.sh APP_DIR TEST_BINARY...
set -uo pipefail
app=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$app" "$work/app"
db="$work/app/Databases"
# Metadati cut in half, Territorio with a foreign header, Variabili empty,
# Indicatori with bytes overwritten inside its pages, the user database missing.
truncate -s $(( $(stat -c %s "$db/Metadati.mdb") / 2 )) "$db/Metadati.mdb"
printf 'Standard Jet DB\0\0\0\0\0' | dd of="$db/Territorio.mdb" conv=notrunc status=none
: > "$db/Variabili.mdb"
size=$(stat -c %s "$db/Indicatori.mdb")
for offset in $(seq 4096 7919 $(( size - 64 ))); do
  printf '\377\377\377\377\0\0\0\0' | dd of="$db/Indicatori.mdb" bs=1 seek="$offset" conv=notrunc status=none
done
rm -f "$work/app/Files/pxn_utente.mdb"

for bin in "$@"; do
  log="$work/$(basename "$bin").log"
  ( TRAMBELO_TEST_APP_DIR="$work/app" QT_QPA_PLATFORM=offscreen timeout 600 "$bin" >"$log" 2>&1
    echo $? >"$log.rc" ) &
done
wait

status=0
for bin in "$@"; do
  log="$work/$(basename "$bin").log"
  rc=$(cat "$log.rc")
  if [ "$rc" -ne 0 ] && [ "$rc" -ne 1 ]; then
    echo "$(basename "$bin") crashed (exit code $rc) on the damaged databases, in:"
    grep '^\[ RUN      \]' "$log" | tail -1
    grep -E 'ERROR: |SUMMARY: |runtime error|terminate called|Qt has caught' "$log" | head -5
    status=1
  else
    echo "$(basename "$bin"): $(grep -c '^\[  FAILED  \]' "$log") tests failed cleanly, no crash"
  fi
done
exit $status
