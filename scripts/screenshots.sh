#!/usr/bin/env bash
# Renders every window of the desktop host on a fresh demo database, in Italian and in English,
# to docs/screenshots/it/*.png and docs/screenshots/en/*.png, as a 1280 x 800 screen with a window
# manager shows them. Without a display it makes a virtual one (Xvfb) with openbox. Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi
ninja -C build desktop_screenshots >/dev/null
ready=$(mktemp -u)
openbox --startup "touch $ready" >/dev/null 2>&1 &
manager=$!
trap 'kill $manager 2>/dev/null; rm -f "$ready"' EXIT
for _ in $(seq 100); do
  [ -e "$ready" ] && break
  sleep 0.1
done
[ -e "$ready" ] || { echo "screenshots: the window manager did not start" >&2; exit 1; }
for language in it en; do
  build/bin/desktop_screenshots "docs/screenshots/$language" "$language"
done
