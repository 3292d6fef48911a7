#!/usr/bin/env bash
# Makes the pictures of the user's guide: each is the main window as klmw
# draws it (klmw --screenshot) over a registered library, with the windows of
# one prepared bookshelf.
#
#   tools/manual/make-pictures.sh BUILD_DIR LIBRARY_DIR
#
# BUILD_DIR holds bin/klmw, bin/bookcase and bin/soltkit; LIBRARY_DIR the
# sample library as scripts/run builds it (Bibles, reference books, colour
# data, maps). The pictures go to BUILD_DIR/bin/manual/pictures/. Nothing
# outside a temporary home folder is changed; no display is needed.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR LIBRARY_DIR" >&2
  exit 2
fi
BUILD=$(cd "$1" && pwd)
LIBRARY=$(cd "$2" && pwd)
BIN="$BUILD/bin"
OUT="$BIN/manual/pictures"
SOLTKIT="$BIN/soltkit"
mkdir -p "$OUT"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# The books registered as scripts/run registers them.
"$BIN/bookcase" --home "$home" --add "$LIBRARY/sample-library.ini" >/dev/null
"$BIN/bookcase" --home "$home" --add "$LIBRARY/reference-library.ini" >/dev/null
cp "$home/KLMW.INI" "$home/registered.ini"

# The Bibles' colours, converted into the home folder the program's way.
usage=$("$SOLTKIT" paint 2>&1 || true)
if [[ "$usage" == *"unknown command paint"* ]]; then
  echo "make-pictures: soltkit has no paint command: the pictures have no topic colours" >&2
else
  for code in KJS WEB RVR; do
    [ -f "$LIBRARY/$code.pip" ] || continue
    cp "$LIBRARY/$code.pip" "$home/$code.pip"
    "$SOLTKIT" paint convert "$code" "$home" >/dev/null
    cp "$LIBRARY/$code-underline.pip" "$home/$code.pip"
    "$SOLTKIT" paint convert "$code" "$home" --underline >/dev/null
    cp "$LIBRARY/$code.pip" "$home/$code.pip"
  done
  cp "$LIBRARY/colors.txt" "$home/colors.txt"
fi

# One screen of a fixed size, so every run draws the same pictures.
cat > "$home/screen.json" <<'JSON'
{ "screens": [ { "name": "manual", "x": 0, "y": 0, "width": 1200, "height": 800,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON

# A verse index (0-based) from book, chapter and verse (1-based).
verse() { "$SOLTKIT" bible "$LIBRARY/KJS.ixb" index $(($1 - 1)) $(($2 - 1)) $(($3 - 1)); }
# The section a book shows for a sync value (a verse "43,3,16", a word).
section() { "$SOLTKIT" sync "$LIBRARY/$1" "$2"; }

# The main frame's rectangle and the Books bar's width; a child rectangle is
# within the window area beside the bar (about 870 x 620).
FRAME="0, 0, 0, 0, 0, 0, 0, 0, 1100,  720"
TREE="190,640"

# shot NAME SYNC WINDOW... (with GO set, klmw goes to those references first) [-- DOCUMENT...]: a WINDOW is
# "BOOKNAME|FOLDER|SECTION|TREEWIDTH|LEFT|TOP|RIGHT|BOTTOM|SEARCH" (FOLDER
# under the library; SHOW 0); documents open over the windows.
shot() {
  local name=$1 sync=$2
  shift 2
  local windows=() documents=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do windows+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  documents=("$@")
  {
    cat "$home/registered.ini"
    printf '\n[Options]\nSync=%s\n\n[options]\ntree_dimentions=%s\n\n' "$sync" "$TREE"
    printf '[BookShelf0]\nNumberWindows=%d\nWindow0=%s\nBookName0= \nTextPath0= \n' $((${#windows[@]} + 1)) "$FRAME"
    local i=1 w
    for w in "${windows[@]}"; do
      IFS='|' read -r book folder key tree l t r b search <<<"$w"
      printf 'BookName%d=%s\nTextPath%d=%s/%s/\n' $i "$book" $i "$LIBRARY" "$folder"
      printf 'Window%d=0, %d, 0, %d, 0, 4, %d, %d, %d,  %d\nStringToParse%d=%s\n' \
        $i "$key" "$tree" "$l" "$t" "$r" "$b" $i "${search:- }"
      i=$((i + 1))
    done
  } > "$home/KLMW.INI"
  local go=()
  [ -n "${GO:-}" ] && go=(--go "$GO")
  QT_QPA_PLATFORM="offscreen:configfile=$home/screen.json" \
    "$BIN/klmw" --home "$home" "${go[@]}" --screenshot "$OUT/$name.png" -- "${documents[@]}" 2>"$home/log" \
    || { cat "$home/log" >&2; echo "make-pictures: $name.png was not made" >&2; return 1; }
  echo "$OUT/$name.png"
}

john3=$(verse 43 3 1)
shot main-window 0 "KJS|KJS|$john3|170|0|0|870|620|"
shot two-bibles 1 "KJS|KJS|$(verse 19 23 1)|130|0|0|435|620|" "WEB|WEB|$(verse 19 23 1)|130|435|0|870|620|"
shot bible-and-book 1 "KJS|KJS|$(verse 43 3 14)|120|0|0|410|620|" \
  "Matthew Henry's Concise Commentary|mhcc|$(section mhcc 43,3,16)|170|410|0|870|620|"
shot book-window 0 "Nave's Topical Bible|naves|$(section naves LOVE)|200|0|0|870|620|love"
shot search-marks 0 "KJS|KJS|$(verse 62 4 7)|130|0|0|870|620|love"
shot map 0 "KJS|KJS|$(verse 44 13 1)|110|0|0|370|620|" -- "$LIBRARY/maps/paul.png"
GO="Gen 1:1-3; 2:4, 6" shot reference 0 "KJS|KJS|$(verse 1 1 1)|110|0|0|435|620|" \
  "Matthew Henry's Concise Commentary|mhcc|$(section mhcc 1,1,1)|110|435|0|870|620|"
