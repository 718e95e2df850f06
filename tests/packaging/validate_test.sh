#!/usr/bin/env bash
# The menu entry and the AppStream metadata as the desktop's own validators
# see them; exit 77 (skipped) when a validator is not installed.
#   validate_test.sh desktop|metainfo FILE
set -euo pipefail
kind="${1:?usage: validate_test.sh desktop|metainfo FILE}"
file="${2:?usage: validate_test.sh desktop|metainfo FILE}"
case "$kind" in
desktop) tool=(desktop-file-validate) ;;
metainfo) tool=(appstreamcli validate --no-net) ;;
*) echo "unknown kind $kind" >&2; exit 2 ;;
esac
command -v "${tool[0]}" >/dev/null || { echo "${tool[0]} is not installed"; exit 77; }
"${tool[@]}" "$file"
