#!/bin/bash
# Fails when a C++ file of the project is not formatted as .clang-format says.
# With file arguments only those are checked (the pre-commit hook passes the
# staged ones); without, every tracked source and header.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0

if ! clang-format --dry-run -Werror "${files[@]}"; then
    echo "Formatting differs from .clang-format; run: clang-format -i <file>..." >&2
    exit 1
fi
