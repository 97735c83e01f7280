#!/usr/bin/env bash
# Runs the page test in headless Chromium (browser/page_test.mjs): exit 77,
# skipped, when node, chromium or playwright-core is not installed.
#   page_test.sh SWIRL [SCREENSHOT_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
command -v node >/dev/null 2>&1 || { echo "node is not installed: skipped"; exit 77; }
chromium=${CHROMIUM:-/usr/bin/chromium}
[ -x "$chromium" ] || { echo "$chromium is not installed: skipped"; exit 77; }
[ -d "$here/browser/node_modules/playwright-core" ] ||
  { echo "playwright-core is not installed (npm ci --prefix $here/browser): skipped"; exit 77; }
export CHROMIUM=$chromium
exec node "$here/browser/page_test.mjs" "$@"
