#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window; arguments: [DIRECTORY [SEARCH-STRING [FILE-MASK]]].
# With --install it installs the built programs for this user under ~/.local instead;
# with --deb it makes a Debian package of them in build/.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
case "${1:-}" in
  --deb) tansa2_install_missing file dpkg-dev ;;  # dpkg-shlibdeps finds the package's dependencies
  *) tansa2_install_missing ;;
esac
tansa2_build >&2
case "${1:-}" in
  --install) exec cmake --install build --prefix "$HOME/.local" ;;
  --deb) cd build && exec cpack ;;
esac
exec build/tansa2 "$@"
