#!/usr/bin/env bash
# Every option that `vok --help` lists is documented in the manual page.
#   manpage.sh VOK_EXECUTABLE MANPAGE
set -uo pipefail
vok=${1:?usage: manpage.sh VOK MANPAGE} page=${2:?}
options=$(QT_QPA_PLATFORM=offscreen "$vok" --help | grep -E '^ +-' | sed -nE 's/^ +(-[^ ,]+, )*(--[a-z][a-z-]*).*/\2/p')
[ -n "$options" ] || { echo "FAIL: no options read from vok --help"; exit 1; }
missing=0
for option in $options; do
  # In the page's roff source every dash is written \-.
  if ! grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" "$page"; then
    echo "FAIL: $option is not in $page"
    missing=$((missing + 1))
  fi
done
echo "$(wc -w <<<"$options") options, $missing missing from the manual page"
exit $((missing > 0))
