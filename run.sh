#!/usr/bin/env bash
# Installs what is missing, builds, and starts tansa2-grep with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tansa2_install_missing
tansa2_build >&2
exec build/tansa2-grep "$@"
