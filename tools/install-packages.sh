#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when one is
# missing, so a machine that has them all touches no network. Also generates
# the locales the tests run under, and installs the npm package that drives
# Chromium in the test of the owner's page.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  clang libclang-rt-14-dev clang-format clang-tidy cppcheck llvm python3-clang-14 libclang-14-dev
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 wine64 wine32:i386 python3 locales
  emscripten chromium fonts-ipafont-gothic
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The 32-bit Windows programs run on Wine's 32-bit part, which comes from
# Debian's i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture"
  $sudo dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
# npm, unless the node installed (as emscripten's) brings its own.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Japanese for the Wine tests; German for the test that the map's command
# line keeps its decimal point under a locale whose separator is a comma.
wanted=()
for name in ja_JP de_DE; do
  locale -a 2>/dev/null | grep -qx "$name.utf8" || wanted+=("$name")
done
if [ ${#wanted[@]} -gt 0 ]; then
  echo "generating locales: ${wanted[*]}"
  for name in "${wanted[@]}"; do
    if grep -q "^# *$name.UTF-8 UTF-8" /etc/locale.gen; then
      $sudo sed -i "s/^# *$name.UTF-8 UTF-8/$name.UTF-8 UTF-8/" /etc/locale.gen
    elif ! grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$name.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
  done
  $sudo locale-gen
fi

# playwright-core as tools/page/package-lock.json pins it (npm ls fails when
# it is missing or another version).
page_dir="$(dirname "$0")/page"
if ! npm ls --prefix "$page_dir" >/dev/null 2>&1; then
  echo "installing the page test's npm packages"
  (cd "$page_dir" && npm ci --no-audit --no-fund)
fi
