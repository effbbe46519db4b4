#!/bin/sh
# Checks orva-conv from the command line: line ends, entities, Shift-JIS against iconv, detection.
# Usage: cli_test.sh path/to/orva-conv
conv=$1
failures=0
hex() { od -An -tx1 -v | tr -d ' \n'; }
check() {  # label, expected, actual
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected $2, got $3"; failures=$((failures + 1)); fi
}
check "CR to CR LF" 610d0a62 "$(printf 'a\rb' | "$conv" 2 65 | hex)"
check "CR LF to CR" 610d62 "$(printf 'a\r\nb' | "$conv" 65 2 | hex)"
check "entities" c3a9c3a926626f6775733b "$(printf '&eacute;&#233;&bogus;' | "$conv" 3 4 | hex)"
check "Shift-JIS" "$(printf '\346\227\245\346\234\254\350\252\236' | iconv -f UTF-8 -t SHIFT_JIS | hex)" \
  "$(printf '\346\227\245\346\234\254\350\252\236' | "$conv" 4 5 | hex)"
check "detection" "68 3" "$(printf '\357\273\277a\r\nb' | "$conv" --detect)"
check "empty input" "" "$(printf '' | "$conv" 2 4 | hex)"
if "$conv" 2 > /dev/null 2>&1; then echo "FAILED: a missing argument was accepted"; failures=$((failures + 1)); fi
exit $failures
