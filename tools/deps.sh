# Sourced by run.sh and test.sh: installs the Debian packages the build needs
# that are not there yet, then configures and builds into build/.

tansa2_packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libonig-dev
                 googletest libgtest-dev fonts-ipafont-gothic)

tansa2_install_missing() {
  local missing=()
  local p
  for p in "${tansa2_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

tansa2_build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build --parallel
}
