#!/usr/bin/env bash
# Fails when a C++ source or header of the repository is not formatted as
# .clang-format says; `git clang-format` formats the lines a change touched.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run -Werror
echo "check-format: every source is formatted"
