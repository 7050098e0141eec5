#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only when one is
# missing, so a machine that has them all touches no network. Also generates
# the locales the tests run under, and installs the npm package that drives
# Chromium in the test of the owner's page.
#
# Two steps. The first installs everything the build and the tests need; it
# stops with the package and apt's reason when one cannot be installed. The
# second, optional, adds Debian's i386 architecture for Wine's 32-bit part,
# which runs the 32-bit Windows programs; when that fails for any reason it
# says so in one line, leaves the first step's packages alone, takes the
# architecture back out when nothing came from it, and ends with success:
# the tests then run the 64-bit programs. Each run tries it again. The
# reason is kept in build/wine32-not-installed.txt for the Wine probe.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
packages=(
  cmake ninja-build g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  clang libclang-rt-14-dev clang-format clang-tidy cppcheck llvm python3-clang-14 libclang-14-dev
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 wine64 python3 locales
  emscripten chromium fonts-ipafont-gothic
)
wine32=wine32:i386
wine32_reason_file="$root/build/wine32-not-installed.txt"
update_retry_pause_s=5

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# apt's complaints (its E: and W: lines) in one line, without the mirrors'
# addresses, which say nothing to the reader.
apt_reason() {
  grep -E '^(E|W):' | grep -v 'Some index files failed to download' |
    sed -E 's/^(E|W): *//; s/ *\[IP: [^]]*\]//; s#https?://[^ ]*/dists/##' |
    head -n 2 | tr '\n' ' ' | sed -E 's/ +$//' | cut -c 1-200
}

# Fills update_output with what apt-get update said; retried once after a
# pause when an index fails. Non-zero when it failed both times: what was
# fetched is still there for the installs that follow.
update_output=""
update_indexes() {
  local try
  for try in 1 2; do
    if update_output="$($sudo apt-get update -q 2>&1)" &&
      ! grep -qE '^(E|W): Failed to fetch' <<<"$update_output"; then
      return 0
    fi
    [ "$try" -eq 2 ] || sleep "$update_retry_pause_s"
  done
  return 1
}

# Stops the run with the first package that cannot be installed and why.
explain_install_failure() {
  local package said
  for package in "$@"; do
    if ! said="$($sudo apt-get install -s -q --no-install-recommends "$package" 2>&1)"; then
      echo "cannot install $package: $(apt_reason <<<"$said")" >&2
      break
    fi
  done
  [ -z "$update_output" ] || ! grep -qE '^(E|W): Failed to fetch' <<<"$update_output" ||
    echo "apt-get update said: $(apt_reason <<<"$update_output")" >&2
  exit 1
}

install_required() {
  local missing=() package
  for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
  done
  # npm, unless the node installed (as emscripten's) brings its own.
  command -v npm >/dev/null || missing+=(npm)
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}"
  update_indexes || echo "apt-get update failed for an index; going on with what was fetched"
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" ||
    explain_install_failure "${missing[@]}"
}

# Echoes why Wine's 32-bit part could not be installed; empty when it was.
# An index that cannot be fetched is the reason only when the install then
# fails: an older copy of it may still serve.
try_wine32() {
  local said fetch_failure=""
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if ! said="$($sudo dpkg --add-architecture i386 2>&1)"; then
      echo "the i386 architecture cannot be added (dpkg: ${said:-no reason given})"
      return
    fi
  fi
  # The first step fetched the other indexes, so what fails now is most
  # likely i386's; apt names it where it can.
  if ! update_indexes; then
    fetch_failure="$(grep i386 <<<"$update_output" | apt_reason)"
    [ -n "$fetch_failure" ] || fetch_failure="$(apt_reason <<<"$update_output")"
  fi
  said="$($sudo apt-get install -y -q --no-install-recommends "$wine32" 2>&1)" && return
  if [ -n "$fetch_failure" ]; then
    echo "Debian's i386 packages could not be fetched ($fetch_failure)"
  else
    echo "$wine32 could not be installed ($(apt_reason <<<"$said"))"
  fi
}

install_wine32() {
  local reason
  installed "$wine32" && { rm -f "$wine32_reason_file"; return 0; }
  echo "installing Wine's 32-bit part ($wine32)"
  reason="$(try_wine32)"
  if [ -z "$reason" ]; then
    rm -f "$wine32_reason_file"
    return 0
  fi
  # dpkg refuses to remove an architecture that packages still use, so this
  # takes it out only when nothing came from it.
  $sudo dpkg --remove-architecture i386 2>/dev/null || true
  echo "32-bit Windows programs will not run here: $reason"
  mkdir -p "$(dirname "$wine32_reason_file")"
  echo "$reason" >"$wine32_reason_file"
}

generate_locales() {
  # Japanese for the Wine tests; German for the test that the map's command
  # line keeps its decimal point under a locale whose separator is a comma.
  local wanted=() name available
  available="$(locale -a 2>/dev/null || true)"
  for name in ja_JP de_DE; do
    grep -qx "$name.utf8" <<<"$available" || wanted+=("$name")
  done
  [ ${#wanted[@]} -gt 0 ] || return 0
  echo "generating locales: ${wanted[*]}"
  for name in "${wanted[@]}"; do
    if grep -q "^# *$name.UTF-8 UTF-8" /etc/locale.gen; then
      $sudo sed -i "s/^# *$name.UTF-8 UTF-8/$name.UTF-8 UTF-8/" /etc/locale.gen
    elif ! grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$name.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
  done
  $sudo locale-gen
}

install_page_packages() {
  # playwright-core as tests/page/package-lock.json pins it (npm ls fails
  # when it is missing or another version).
  local page_dir="$root/tests/page"
  npm ls --prefix "$page_dir" >/dev/null 2>&1 && return 0
  echo "installing the page test's npm packages"
  (cd "$page_dir" && npm ci --no-audit --no-fund)
}

install_required
generate_locales
install_page_packages
install_wine32
