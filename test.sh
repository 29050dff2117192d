#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tansa2_install_missing
tansa2_build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 300 -j "$(nproc)"
