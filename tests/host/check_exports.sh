#!/usr/bin/env bash
# The engine library defines exactly the calls its export list names, nothing more or less.
set -euo pipefail
library="$1"
map="$2"
expected=$(sed -n '/global:/,/local:/p' "$map" | grep -v -E 'global:|local:' | tr ';' '\n' | tr -d ' ' | grep -v '^$' | sort)
actual=$(nm -D --defined-only "$library" | awk '{print $3}' | sort)
if [[ "$expected" != "$actual" ]]; then
  echo "exports differ from the list (< listed, > exported):"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports: $(echo "$actual" | wc -l) calls, as listed"
