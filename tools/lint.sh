#!/usr/bin/env bash
# Static checks run as tests: lint.sh format|tidy|cppcheck BUILD_DIR [FILE...]
# format covers every C++ file; tidy and cppcheck cover the production code,
# the code that ships to the handset. tidy takes the files given, so that
# the tests can check one file each, side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
check=$1
build=${2:-build/host}
shift $(($# < 2 ? $# : 2))

# Files named *.EXT under the folders given that exist: files EXT FOLDER...
files() {
  local ext=$1
  shift
  for folder in "$@"; do
    if [ -d "$folder" ]; then find "$folder" -name "*.$ext" -print; fi
  done | sort -u
}
all_sources() {
  files cpp platform text settings position mapctl app shell trace simulator check replay reports scenario wine_harness tests tools bench device_check fuzz
  files h platform text settings position mapctl app shell trace simulator check replay reports scenario wine_harness tests tools bench device_check fuzz
}
# The Windows platform and application shell build only with the Windows
# compilers, so they are not in the host's compilation database.
windows_sources='^(platform/win32/|shell/(launcher_app|launcher_dlg|mini_framework|trace_file|traced_launch)\.cpp$)'
production_sources() {
  files cpp platform text settings position mapctl app trace | grep -v -E "$windows_sources"
}

case "$check" in
  format)
    all_sources | xargs clang-format --dry-run -Werror
    ;;
  tidy)
    if [ $# -gt 0 ]; then printf '%s\n' "$@"; else production_sources; fi |
      xargs clang-tidy --quiet -p "$build"
    ;;
  cppcheck)
    # Windows sources are checked too: cppcheck needs no system headers.
    { production_sources; files cpp shell platform | grep -E "$windows_sources"; } | sort -u |
      xargs cppcheck --quiet --error-exitcode=1 --std=c++03 --language=c++ -I. \
        --enable=warning,style,performance,portability --inline-suppr \
        --suppress=missingIncludeSystem --library=windows
    ;;
  *)
    echo "usage: $0 format|tidy|cppcheck [build-dir]" >&2
    exit 2
    ;;
esac
