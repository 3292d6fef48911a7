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

BUILD_PACKAGES=(cmake make g++ pkg-config libgtest-dev libgmock-dev zlib1g-dev libgsf-1-dev qt6-base-dev qt6-qpa-plugins fonts-liberation)

# The sample library: the three public-domain Bibles imported from Debian's
# SWORD packages and built into Bible modules, in $2 (the build tree is $1).
# Bibles already built are kept; delete the folder to build them anew.
SWORD_PACKAGES=(pkg-config libsword-dev sword-text-kjv sword-text-sparv sword-text-web)
build_sample_library() {
  local build=$1 library=$2
  ensure_packages --lean "${SWORD_PACKAGES[@]}"
  cmake --build "$build" -j"$JOBS" --target soltkit bibleimport refbase_data vttrans_data >/dev/null
  mkdir -p "$library/source"
  local entry code module
  for entry in KJS:KJV RVR:SpaRV WEB:WEB; do
    code=${entry%%:*}
    module=${entry#*:}
    # <CODE>.HTB came later than the rest: a library without it is rebuilt once.
    [ -f "$library/$code.ixb" ] && [ -f "$library/$code.HTB" ] && continue
    echo "== importing $code from the SWORD module $module"
    "$build/bin/bibleimport" "$module" "$code" "$library/source" >/dev/null
    "$build/bin/soltkit" make-bible "$library/source/$code.txt" "$library"
  done
  # The program reads FOOTNTE.DAT from its data folder for KJS, and
  # CODE-FOOTNTE.DAT for each other Bible that has notes of its own.
  [ -f "$library/FOOTNTE.DAT" ] || cp "$library/source/KJS-FOOTNTE.DAT" "$library/FOOTNTE.DAT"
  for code in WEB RVR; do
    [ -f "$library/source/$code-FOOTNTE.DAT" ] && cp -u "$library/source/$code-FOOTNTE.DAT" "$library/"
  done
  true
}

# The maps the Bible windows show: the PNGs of data/maps into $1/maps, and
# MAPS.DAT (which map belongs to which verses) with control.rsi beside the
# Bibles in $1. Only files newer than the library's copies are copied; the
# maps are drawn by tools/maps/draw-maps.sh and committed, so no mapping tool
# is needed here.
install_maps() {
  local library=$1
  mkdir -p "$library/maps"
  cp -u "$ROOT"/data/maps/*.png "$library/maps/"
  cp -u "$ROOT/data/maps/MAPS.DAT" "$ROOT/data/maps/control.rsi" "$library/"
}

# The pictures of the user's guide, $1/bin/manual/pictures/: klmw draws its
# windows over the sample library in $2 (built and coloured by the functions
# here) as tools/manual/make-pictures.sh prepares them. Drawn again when klmw
# or the script is newer than them; the guide reads without them.
make_manual_pictures() {
  local build=$1 library=$2
  local script="$ROOT/tools/manual/make-pictures.sh" first="$1/bin/manual/pictures/main-window.png"
  cmake --build "$build" -j"$JOBS" --target klmw bookcase soltkit refbase_data vttrans_data >/dev/null
  cp "$ROOT/data/sample-library.ini" "$library/sample-library.ini"
  [ -f "$library/notes/book.dat" ] || "$build/bin/soltkit" build "$ROOT/data/sample-book" "$library/notes"
  [ "$first" -nt "$build/bin/klmw" ] && [ "$first" -nt "$script" ] && return 0
  echo "== drawing the pictures of the user's guide"
  "$script" "$build" "$library" >/dev/null
}

# The reference library: public-domain reference books (Nave's Topical Bible,
# Matthew Henry's Concise Commentary, Strong's Greek and Hebrew dictionaries,
# Spurgeon's Treasury of David)
# imported from Debian's SWORD packages by bookimport and compiled into SOLT
# books, each in $2/<folder> as data/reference-library.ini names it (the build
# tree is $1). A book is built again when bookimport is newer than it.
REFERENCE_PACKAGES=(pkg-config libsword-dev sword-dict-naves sword-comm-mhcc sword-dict-strongs-greek
                    sword-dict-strongs-hebrew sword-comm-tdavid)
build_reference_books() {
  local build=$1 library=$2
  ensure_packages --lean "${REFERENCE_PACKAGES[@]}"
  cmake --build "$build" -j"$JOBS" --target bookimport >/dev/null
  mkdir -p "$library/source"
  local kind
  for kind in naves mhcc strongs-greek strongs-hebrew tdavid; do
    [ "$library/$kind/book.dat" -nt "$build/bin/bookimport" ] && continue
    echo "== importing $kind from its SWORD module"
    "$build/bin/bookimport" "$kind" "$library/source/$kind" --book "$library/$kind" >/dev/null
  done
  cp "$ROOT/data/reference-library.ini" "$library/reference-library.ini"
}

# The colour data of the sample Bibles: topic colours from Nave's Topical
# Bible ($2/naves, built by build_reference_books) and the words of Christ
# from the importer's $2/source/CODE.woc, written by colourdata as
# $2/CODE.pip, $2/CODE-underline.pip and $2/colors.txt (data/topics.txt says
# what feeds each colour). Made again when colourdata or data/topics.txt is
# newer than them.
build_colour_data() {
  local build=$1 library=$2
  cmake --build "$build" -j"$JOBS" --target colourdata >/dev/null
  if [ "$library/colors.txt" -nt "$build/bin/colourdata" ] && [ "$library/colors.txt" -nt "$ROOT/data/topics.txt" ] \
     && [ "$library/colors.txt" -nt "$library/naves/book.dat" ]; then
    return 0
  fi
  echo "== building the colour data from Nave's Topical Bible"
  "$build/bin/colourdata" "$ROOT/data/topics.txt" "$library/naves" "$library" KJS WEB RVR:es >/dev/null
}

# The program reads its colour files from its own folder ($2): for each Bible
# the paint file paint.CODE and the colour index COLORNDX.CODE, made by
# `soltkit paint convert` from the library's ($3) CODE.pip (colour mode) with
# CODE-underline.pip merged over it (underline mode), and colors.txt. Left
# out while soltkit has no paint command; made again when the library's
# files are newer.
install_colour_data() {
  local bin=$1 library=$2
  local soltkit="$bin/soltkit" code scratch usage
  usage=$("$soltkit" paint 2>&1 || true)
  if [ ! -x "$soltkit" ] || [[ "$usage" == *"unknown command paint"* ]]; then
    echo "== soltkit has no paint command: the colour data is not installed"
    return 0
  fi
  for code in KJS WEB RVR; do
    [ -f "$library/$code.pip" ] || continue
    [ "$bin/paint.$code" -nt "$library/$code.pip" ] && [ "$bin/paint.$code" -nt "$library/$code-underline.pip" ] \
      && [ "$bin/paint.$code" -nt "$soltkit" ] && continue
    echo "== converting the colour data of $code"
    scratch=$(mktemp -d)
    cp "$library/$code.pip" "$scratch/$code.pip"
    "$soltkit" paint convert "$code" "$scratch" >/dev/null
    cp "$library/$code-underline.pip" "$scratch/$code.pip"
    "$soltkit" paint convert "$code" "$scratch" --underline >/dev/null
    cp "$library/$code.pip" "$scratch/COLORNDX.$code" "$bin/"
    cp "$scratch/paint.$code" "$bin/paint.$code"
    rm -rf "$scratch"
  done
  cp "$library/colors.txt" "$bin/colors.txt"
}
