#!/usr/bin/env bash
# The help writer on faulty copies of the Japanese sources: each run must
# fail with a message that names the file and line and what was expected.
set -uo pipefail
writer=$1 sources=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/lum-writer-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
long_title=$(printf 'x%.0s' $(seq 1 51))
many_lines=$(printf 'text of a long topic, one line of many\\n%.0s' $(seq 1 120))

# check NAME FILE SED-SCRIPT MESSAGE (empty: the run must succeed)
check() {
  local name=$1 file=$2 edit=$3 want=$4 status
  rm -rf "$work/src" && cp -r "$sources" "$work/src"
  sed -i "$edit" "$work/src/$file"
  "$writer" --date 1 "$work/out.hlp" "$work/src/lumcfg.txt" "$work/src"/topic-*.txt >"$work/log" 2>&1
  status=$?
  if { [ -z "$want" ] && [ $status = 0 ]; } ||
     { [ $status = 1 ] && [ -n "$want" ] && grep -qF -- "src/$file$want" "$work/log"; }; then
    echo "ok   $name"
  else
    echo "FAIL $name: status $status, wanted \"$file$want\"; said:"
    sed 's/^/    /' "$work/log"
    failures=$((failures + 1))
  fi
}

t=topic-2-about.txt s=lumcfg.txt
check sources_as_they_are "$t" '' ''
check number_in_another_base "$t" 's/^map: .*/map: 0o17/' ':3: expected map to be a number from'
check number_out_of_range "$t" 's/^map: .*/map: 0x80000000/' ':3: expected map to be a number from'
check key_missing "$t" '/^title:/d' ": expected a 'title:' line in the header"
check context_name "$t" 's/^context: .*/context: IDH-ABOUT/' ':2: expected a context name'
check not_utf8 "$t" '6s/$/\xff/' ':6: expected UTF-8 text'
check not_in_code_page "$t" '8s/$/€/' ':8: expected text that code page 932 holds'
check topic_too_long "$t" "8s/\$/\\n$many_lines/" ': expected a topic that fits one topic block'
check charset "$s" 's/^charset: .*/charset: 1/' ':5: expected charset 0 (code page 1252) or 128'
check font_without_points "$s" 's/^font: \(.*\), 10/font: \1/' ":7: expected 'face, points' or"
check face_too_long "$s" 's/^font: .*/font: ＭＳ Ｐゴシック Medium, 10/' ':7: expected a face name of at most 19 bytes'
check points "$s" 's/^heading-font: .*/heading-font: A, 200, bold/' ':8: expected the points to be'
check title_too_long "$s" "s/^title: .*/title: $long_title/" ':2: expected a title of at most 50 bytes'
check keyword_empty "$t" 's/^keywords: /keywords: ; /' ":6: expected keywords separated by ';'"
check keywords_alike "$t" 's/^keywords: /keywords: OK; ok; /' ": expected keywords the engine tells apart"
exit $((failures > 0))
