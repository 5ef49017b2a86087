#!/usr/bin/env bash
# Renders every window of the desktop host in a known state on a fresh demo database to
# docs/screenshots/*.png (offscreen: no display needed). Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
ninja -C build desktop_screenshots >/dev/null
build/bin/desktop_screenshots docs/screenshots
