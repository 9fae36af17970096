#!/usr/bin/env bash
# Takes the README's picture of the browser version: builds it with ./web.sh, opens it in headless
# Chromium, plays the committed winning run to the beam pulling the car (frame 420) and writes the
# page as the browser shows it to docs/browser.png.
set -euo pipefail
cd "$(dirname "$0")/.."
./web.sh
. ./setup.sh
ensure_packages chromium chromium-driver python3-selenium
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
PAGE_TESTS=browser_picture /usr/bin/python3 tests/web/page_test.py dist/web tests/scripts/winning_run.txt /dev/null \
    "$scratch" >/dev/null
mkdir -p docs
cp "$scratch/browser.png" docs/browser.png
echo "docs/browser.png"
