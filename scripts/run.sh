#!/usr/bin/env bash
# Installs the dependencies, builds Quillfen and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec "${QUILLFEN_BUILD_DIR:-build}/bin/quillfen" "$@"
