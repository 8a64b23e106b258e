#!/usr/bin/env bash
# Installs the dependencies, builds everything, runs the whole test suite and
# then checks the installed form (layout, launcher, metadata, package).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DQUILLFEN_WERROR=ON
build_dir="${QUILLFEN_BUILD_DIR:-build}"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
scripts/check-install.sh
