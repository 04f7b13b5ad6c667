#!/usr/bin/env bash
# tests/man_page_test.sh PAGE: the manual page renders with no warning.
set -euo pipefail
warnings=$(groff -man -ww -z "$1" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
