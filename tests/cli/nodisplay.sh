#!/usr/bin/env bash
# The real executable answers --version and --help, and names a mistake on its
# command line, on a machine without a display.
#   nodisplay.sh VOK_EXECUTABLE VERSION
set -uo pipefail
vok=${1:?usage: nodisplay.sh VOK VERSION} version=${2:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Runs vok with no display at all; sets $code, $out, $err.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR HOME="$work" \
    "$vok" "$@" >"$work/out" 2>"$work/err"
  code=$?
  out=$(cat "$work/out") err=$(cat "$work/err")
}

expect() {
  local what=$1 want_code=$2 pattern=$3 stream=$4
  if [ "$code" != "$want_code" ] || ! grep -q -- "$pattern" <<<"$stream"; then
    echo "FAIL $what: exit $code (want $want_code); stdout: $out; stderr: $err"
    failures=$((failures + 1))
  else
    echo "ok   $what"
  fi
}

run --version
expect "--version" 0 "^vok $version\$" "$out"
[ -z "$err" ] || { echo "FAIL --version wrote on stderr: $err"; failures=$((failures + 1)); }
run -v
expect "-v" 0 "^vok $version\$" "$out"
run --help
expect "--help" 0 "--report <FILE>" "$out"
[ -z "$err" ] || { echo "FAIL --help wrote on stderr: $err"; failures=$((failures + 1)); }
run --help-all
expect "--help-all" 0 "--platform" "$out"
run --no-such-option
expect "an unknown option" 2 "no-such-option" "$err"
run --data-dir
expect "a missing value" 2 "data-dir" "$err"

# The windows without a display: a clear reason, not an abort, nothing created.
run --data-dir "$work/data"
expect "windows without a display" 2 "DISPLAY" "$err"
[ ! -e "$work/data" ] || { echo "FAIL the data folder was created"; failures=$((failures + 1)); }
# Reports need no display, and Qt's runtime-folder warning stays out of the way.
mkdir -p "$work/report" && : >"$work/report/vok.db"
run --data-dir "$work/report" --report rappiese.rpt --selection "{piese.ida}=1" --html "$work/report/p.html"
expect "a report" 0 "" "$out"
[ -z "$err" ] || { echo "FAIL the report wrote on stderr: $err"; failures=$((failures + 1)); }

exit $((failures > 0))
