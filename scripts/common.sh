# Shared by scripts/run, scripts/test and scripts/screenshot: install what is missing, build.
# Sourced, not run.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages the build, the tests and the window need.
accprep_packages=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libqcustomplot-dev fonts-noto-cjk
  libfftw3-dev libcli11-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth
  xdotool openbox imagemagick
)

install_missing_packages() {
  local missing=()
  for package in "${accprep_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

jobs_count() { nproc 2>/dev/null || echo 2; }

# build_tree DIR [cmake options...]: configure once, then build incrementally.
build_tree() {
  local dir=$1
  shift
  if [ ! -f "$repo_root/$dir/CMakeCache.txt" ]; then
    cmake -S "$repo_root" -B "$repo_root/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  fi
  cmake --build "$repo_root/$dir" -j "$(jobs_count)"
}
