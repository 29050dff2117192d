#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window; arguments: [DIRECTORY [SEARCH-STRING [FILE-MASK]]].
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tansa2_install_missing
tansa2_build >&2
exec build/tansa2 "$@"
