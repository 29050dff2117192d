#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window; arguments: [DIRECTORY [SEARCH-STRING [FILE-MASK]]].
# With --install it installs the built programs for this user under ~/.local instead.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tansa2_install_missing
tansa2_build >&2
if [ "${1:-}" = --install ]; then
  exec cmake --install build --prefix "$HOME/.local"
fi
exec build/tansa2 "$@"
