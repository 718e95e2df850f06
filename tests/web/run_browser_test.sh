#!/usr/bin/env bash
# The browser test of `verlumo-db export-html`: the sample, and a generated
# database of 100,000 types for the search's timing in the browser.
# Usage: run_browser_test.sh VERLUMO_DB SAMPLE_DB WORK_DIR; exit 77 (skipped)
# only when node or chromium is missing.
set -euo pipefail
# Absolute, as the test runs from its own folder.
tool="$(realpath "$1")" sample="$(realpath "$2")" work="$(realpath -m "$3")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if ! command -v node >/dev/null; then
    echo "skipped: node is missing (scripts/setup.sh installs nodejs)"
    exit 77
fi
if [ ! -x /usr/bin/chromium ]; then
    echo "skipped: /usr/bin/chromium is missing (scripts/setup.sh installs chromium)"
    exit 77
fi
if [ ! -d "$here/node_modules/playwright-core" ]; then
    echo "tests/web/node_modules is missing: ./test installs it (npm ci in tests/web)"
    exit 1
fi
mkdir -p "$work"
"$tool" generate -o "$work/large-db" --types 100000 >/dev/null
cd "$here"
exec node browser.test.js "$tool" "$sample" "$work/run" "$work/large-db"
