#!/usr/bin/env bash
# Installs what is missing, builds Kelvaro and its tools (no tests, no benchmarks) and opens
# it in a folder that holds the example models and the "ElectronData" seed file, so the
# file list offers them at once. A file already in that folder is kept as it is: edits to
# an example, and models of your own, stay from one run to the next.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" build -DKELVARO_TESTS=OFF -DKELVARO_BENCHMARKS=OFF
workdir="$top/build/models"
mkdir -p "$workdir"
for example in "$top"/examples/*.txt "$top/examples/ElectronData"; do
  [ -e "$workdir/$(basename "$example")" ] || cp "$example" "$workdir"/
done
cd "$workdir"
exec "$top/build/app/kelvaro" "$@"
