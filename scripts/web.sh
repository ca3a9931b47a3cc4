#!/usr/bin/env bash
# Kelvaro in the browser: installs what is missing (emscripten, Node.js and npm through
# scripts/setup.sh web; the page's npm packages with npm ci), builds the site into
# build-web/site/ and serves it on http://127.0.0.1:8000/ until Ctrl+C.
#
#   scripts/web.sh          build and serve (KELVARO_WEB_PORT=8001 serves on another port)
#   scripts/web.sh build    build only (the test command builds it so)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "" | build) ;;
  *)
    echo "usage: scripts/web.sh [build]" >&2
    exit 2
    ;;
esac
# emscripten makes its files with the umask's modes: the site readable by all.
umask 022
"$top/scripts/setup.sh" web
(cd "$top/web" && npm ci --no-audit --no-fund --loglevel=error)
emcmake cmake -S "$top" -B "$top/build-web" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARO_WERROR=ON >/dev/null
cmake --build "$top/build-web" -j "$(nproc)" --target kelvaro_site
[ "${1:-}" = build ] && exit 0

port=${KELVARO_WEB_PORT:-8000}
echo "Kelvaro in the browser: http://127.0.0.1:$port/ (Ctrl+C stops it)"
cd "$top/build-web/site"
exec python3 -m http.server "$port" --bind 127.0.0.1
