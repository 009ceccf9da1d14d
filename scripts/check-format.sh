#!/usr/bin/env bash
# Fails when a C++ file differs from the checked-in clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
((${#files[@]})) || exit 0
clang-format --dry-run --Werror "${files[@]}"
