# Sourced by run.sh and test.sh: installs the Debian packages the build needs
# that are not there yet, then configures and builds into build/.

# ripgrep and python3: tansa2-grep's tests compare it with rg and check its JSON.
tansa2_packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libonig-dev
                 libvectorscan-dev liburing-dev googletest libgtest-dev fonts-ipafont-gothic libfontconfig-dev ripgrep python3)

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

# tansa2_build [DIR SANITIZER-FLAGS... [--target TARGETS...]]: without
# arguments the release build in build/; with a directory, a build there with
# the given sanitizer flags and debug information, of the targets named.
tansa2_build() {
  local dir=${1:-build}
  [ $# -gt 0 ] && shift
  local flags=() targets=()
  while [ $# -gt 0 ] && [ "$1" != --target ]; do flags+=("$1"); shift; done
  [ $# -gt 0 ] && targets=("$@")
  if [ ${#flags[@]} -eq 0 ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  else
    local all="${flags[*]} -fno-omit-frame-pointer"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$all" \
      -DCMAKE_EXE_LINKER_FLAGS="$all" -DCMAKE_SHARED_LINKER_FLAGS="$all" >/dev/null
  fi
  cmake --build "$dir" --parallel "${targets[@]}"
}
