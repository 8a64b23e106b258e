#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan into build-asan (or
# $QUILLFEN_ASAN_BUILD_DIR) and runs the whole test suite there. Any
# sanitizer report ends the test that made it, so it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${QUILLFEN_ASAN_BUILD_DIR:-build-asan}"
# Debug: unoptimised code builds faster, and the reports name every frame.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUILLFEN_SANITIZE=ON -DQUILLFEN_WERROR=ON >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

# Leaks are reported too; one-off allocations of system libraries kept until
# exit are named in lsan.supp. strict_string_checks stays off: libxkbcommon
# hands strndup buffers without a NUL, which strndup allows.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:check_initialization_order=1:suppressions=$PWD/scripts/asan.supp"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
start=$(date +%s)
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" "$@"
echo "Sanitized test suite: $(( $(date +%s) - start )) s"
