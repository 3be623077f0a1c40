#!/usr/bin/env bash
# Writes a UTF-8 text in a Windows code page with CR LF line ends, as Notepad
# on that system reads it; a character the code page lacks fails, naming its
# line.
#
#   bash scripts/encode_text.sh SOURCE TARGET CODE-PAGE
set -euo pipefail
source=$1 target=$2 page=$3
said=$(mktemp)
trap 'rm -f "$said"' EXIT
# The line ends are added after the conversion: no byte of these code pages'
# characters is a line feed.
if ! iconv -f UTF-8 -t "CP$page" "$source" 2>"$said" | LC_ALL=C sed 's/$/\r/' >"$target"; then
  rm -f "$target"
  # iconv names the byte offset where it stopped.
  at=$(grep -o 'position [0-9]*' "$said" | grep -o '[0-9]*' || echo 0)
  line=$(($(head -c "$at" "$source" | wc -l) + 1))
  echo "$source:$line: no place in code page $page for what stands there ($(cat "$said"))" >&2
  exit 1
fi
