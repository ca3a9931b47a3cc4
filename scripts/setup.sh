#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that Kelvaro needs. Only missing packages are
# installed; a machine that has them all is left untouched. Needs root or sudo.
#
#   scripts/setup.sh          what building and running the program and its tools needs
#   scripts/setup.sh web      what building and serving the browser edition needs
#   scripts/setup.sh tests    all of the above, and everything the tests, fuzzing and benchmarks need
#   scripts/setup.sh bench    that, and the Python stack that bench/python_stack.py compares with
set -euo pipefail

# Building and running the program and its tools. Recommended packages are not installed,
# so the GL drivers that the window (GLX) and kelvaro-batch png (EGL) load are named here.
program_packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  freeglut3-dev
  libglu1-mesa-dev
  libgl-dev
  libgl1-mesa-dri
  libglx-mesa0
  libegl-dev
  libegl-mesa0
  libpng-dev
  libgif-dev
  libx11-dev
)

# The tests, the sanitizer and fuzz builds and the benchmarks, one package a line.
test_packages=(
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  clang
  libclang-rt-14-dev
  xvfb
  xauth
  xdotool
  imagemagick
  x11-utils
  valgrind
  # localedef's sources: a test makes a locale with a decimal comma.
  locales
  # A light window manager: one end-to-end test closes and stacks the dialogs under it.
  openbox
  # The Python module (built against Debian's /usr/bin/python3), its tests and its example.
  python3-dev
  pybind11-dev
  python3-numpy
  python3-pytest
  python3-matplotlib
  # pip install . of the module (offline, --no-build-isolation), its notebook run by
  # nbclient in a kernel, and mypy for its type stubs.
  python3-pip
  python3-setuptools
  python3-pybind11
  python3-nbclient
  python3-ipykernel
  mypy
)

# The browser edition: Debian's emscripten (its clang, and node for its tools) and npm for
# the page's packages. A Node.js from elsewhere that brings its own npm (as NodeSource's
# package does, which conflicts with Debian's npm) is kept, and Debian's npm is then left out.
web_packages=(
  emscripten
  nodejs
)
if ! command -v npm >/dev/null 2>&1; then
  web_packages+=(npm)
fi

# The browser test and the page's benchmarks drive Debian's Chromium headless; a font so
# that the page's text has its shapes.
browser_test_packages=(
  chromium
  fonts-dejavu-core
)

# What a physicist would use instead of Kelvaro, for the comparison in bench/python_stack.py
# (run by hand, never by the test command): marching cubes from scikit-image, flying edges
# from VTK's Python bindings.
bench_packages=(
  python3-skimage
  python3-vtk9
)

case "${1:-}" in
  "") packages=("${program_packages[@]}") ;;
  web) packages=("${web_packages[@]}") ;;
  tests) packages=("${program_packages[@]}" "${test_packages[@]}" "${web_packages[@]}" "${browser_test_packages[@]}") ;;
  bench)
    packages=("${program_packages[@]}" "${test_packages[@]}" "${web_packages[@]}" "${browser_test_packages[@]}"
              "${bench_packages[@]}")
    ;;
  *)
    echo "usage: scripts/setup.sh [web|tests|bench]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
