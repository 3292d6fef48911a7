# Shared by the scripts: install missing Debian packages (as root) and build.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${JOBS:-2}

# Installs the packages that are not installed yet; apt-get runs only when
# something is missing, so a prepared machine starts at once. With --lean
# first, recommended packages are left out (LibreOffice would bring a desktop).
ensure_packages() {
  local extra=()
  if [ "${1:-}" = --lean ]; then
    extra=(--no-install-recommends)
    shift
  fi
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root, or install them first)" >&2
    return 1
  fi
  echo "== installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${extra[@]}" "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake make g++ libgtest-dev libgmock-dev zlib1g-dev)
