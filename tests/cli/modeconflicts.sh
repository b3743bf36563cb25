#!/usr/bin/env bash
# One mode at a time: two modes, or an option of a mode that was not chosen,
# are refused with exit 2 and a reason, and nothing is done (no copy, no
# report file, no data folder).
#   modeconflicts.sh VOK_EXECUTABLE
set -uo pipefail
vok=${1:?usage: modeconflicts.sh VOK}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
data=$work/data

# name | arguments (after --data-dir DATA) | reason on stderr
cases=(
  "check and backup|--check --backup $work/copies|--check si --backup nu se folosesc impreuna"
  "backup and check|--backup $work/copies --check|--backup si --check nu se folosesc impreuna"
  "check with pdf|--check --pdf $work/out.pdf|--pdf se foloseste doar cu --report"
  "report and check-months|--report rapcalculf.rpt --selection {curse.idf}=1 --pdf $work/out.pdf --check-months 2025|un singur mod pe rand"
  "restore with replace|--restore $work/none.db --replace|--replace se foloseste doar cu --import-mdb"
  "seed without demo|--seed 3|--seed se foloseste doar cu --demo"
  "windows with csv|--csv $work/out.csv|--csv se foloseste doar cu --report"
  "import with selection|--import-mdb $work/none.mdb --selection x|--selection se foloseste doar cu --report"
)

for row in "${cases[@]}"; do
  IFS='|' read -r name args reason <<<"$row"
  # shellcheck disable=SC2086 # the arguments are split on purpose
  timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$work" \
    "$vok" --data-dir "$data" $args >"$work/stdout" 2>"$work/stderr"
  code=$?
  left=$(cd "$work" && ls -d copies out.pdf out.csv data 2>/dev/null | tr '\n' ' ')
  if [ "$code" != 2 ] || ! grep -qF -- "$reason" "$work/stderr" || [ -s "$work/stdout" ] || [ -n "$left" ]; then
    echo "FAIL $name: exit $code (want 2); stdout: $(cat "$work/stdout"); stderr: $(cat "$work/stderr"); written: $left"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
  rm -rf "$work/copies" "$work/out.pdf" "$work/out.csv" "$data"
done

# One mode with its own options still runs.
timeout 60 env -u DISPLAY QT_QPA_PLATFORM=offscreen HOME="$work" "$vok" --data-dir "$data" --backup "$work/copies/a/b" \
  >"$work/stdout" 2>"$work/stderr"
code=$?
if [ "$code" = 2 ] && grep -q "se foloseste doar cu\|un singur mod" "$work/stderr"; then
  echo "FAIL a lone --backup was refused as a conflict: $(cat "$work/stderr")"
  failures=$((failures + 1))
else
  echo "ok   a lone mode is not a conflict (exit $code)"
fi

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
