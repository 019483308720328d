#!/usr/bin/env bash
# Formats every C++ file of the project in the house style (.clang-format,
# clang-format 14, Debian's). With --check it changes nothing and fails,
# naming the lines, when a file is not formatted.
#   scripts/format.sh [--check]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(find . -path ./build -prune -o -path ./.git -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
if [ "${1:-}" = --check ]; then
  clang-format-14 --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files in the house style"
else
  clang-format-14 -i "${files[@]}"
fi
