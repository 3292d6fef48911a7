#!/usr/bin/env bash
# Draws the maps that the Bible windows show beside the text, as small PNGs in
# data/maps (or the folder given). Coastlines, lakes and rivers come from GMT's
# GSHHG data; places, routes, tribes and kingdoms from places.txt and
# routes.txt beside this script. The PNGs are committed, so nobody needs GMT to
# build or run the program: run this only to change a map.
#
#   apt-get install gmt gmt-gshhg-low gmt-gshhg-high optipng
#   tools/maps/draw-maps.sh [OUTDIR]
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
OUT=$(mkdir -p "${1:-$HERE/../../data/maps}" && cd "${1:-$HERE/../../data/maps}" && pwd)
PLACES="$HERE/places.txt"
ROUTES="$HERE/routes.txt"
DPI=${DPI:-150}   # 150 dpi: a 20 cm wide map is about 1180 pixels

command -v gmt >/dev/null || { echo "draw-maps: GMT is missing (apt-get install gmt gmt-gshhg-high)" >&2; exit 1; }

LAND='#f2ead3'
WATER='#b8d6ea'
RIVER='#3f7fbf'
TITLE_FONT=16p,Helvetica-Bold,black
CITY_FONT='9p,Helvetica-Bold,black=~2p,white'
REGION_FONT='12p,Times-BoldItalic,#7a4a1e=~2p,white'
WATER_FONT='10p,Times-Italic,#1f4f8f'
SMALL_FONT='8p,Helvetica-Oblique,black=~1.5p,white'
TRIBE_FONT='10p,Helvetica-Bold,#5a2d0c=~2p,white'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export GMT_SESSION_NAME=maps$$

# places MAP KIND: "lon lat justify name" for the places of that kind on that map.
places() {
  awk -v map="$1" -v kind="$2" '
    /^[ \t]*(#|$)/ { next }
    index($3, map) && $4 == kind {
      name = $0
      for (i = 1; i <= 5; i++) sub(/^[ \t]*[^ \t]+[ \t]+/, "", name)
      print $1, $2, $5, name
    }' "$PLACES"
}

# route NAME: the points of one route or area, comments left out.
route() {
  awk -v name="$1" '
    /^>/ { split($0, f, /[ \t#]+/); on = (f[2] == name); next }
    on { sub(/#.*/, ""); if (NF >= 2) print $1, $2 }' "$ROUTES" > "$1.xy"
  [ -s "$1.xy" ] || { echo "draw-maps: no route $1 in $ROUTES" >&2; exit 1; }
  echo "$1.xy"
}

# The land and the sea, with the title and degrees every STEP; the areas
# drawn after this are covered by the water that water_and_rivers lays over them.
land() {
  local region=$1 width=$2 step=$3 title=$4
  gmt coast -R"$region" -JM"$width" -Dh -A20 -G"$LAND" -S"$WATER" \
    -Ba"$step" -BWSne+t"$title" --FONT_TITLE=$TITLE_FONT --MAP_FRAME_TYPE=fancy \
    --FONT_ANNOT_PRIMARY=8p --FORMAT_GEO_MAP=ddd:mmF --MAP_TITLE_OFFSET=8p
}

# The water again over the areas, the coastline, the rivers and the scale bar
# (LON/LAT where it stands, its length in km). RIVERS is 1 for the main rivers
# only, 2 with the smaller ones too.
water_and_rivers() {
  local scale=$1 km=$2 rivers=$3
  local pens=("-I1/0.9p,$RIVER")
  [ "$rivers" -ge 2 ] && pens+=("-I2/0.6p,$RIVER")
  gmt coast -Dh -A20 -S"$WATER" -W0.6p,'#5b7f9e' "${pens[@]}" \
    -Lg"$scale"+w"${km}k" -F+gwhite@30+p0.4p,gray40+c0.1c --FONT_ANNOT_PRIMARY=8p --FONT_LABEL=8p
}

# The names: regions, seas, small names, then cities and mountains with their marks.
names() {
  local map=$1
  places "$map" r | gmt text -F+f"$REGION_FONT"+j
  places "$map" s | gmt text -F+f"$WATER_FONT"+j
  places "$map" t | gmt text -F+f"$TRIBE_FONT"+j
  places "$map" i | gmt text -F+f"$SMALL_FONT"+j -Dj0.12c
  places "$map" m | gmt plot -St0.28c -G'#8a5a2b' -W0.5p,white
  places "$map" m | gmt text -F+f"$CITY_FONT"+j -Dj0.16c
  places "$map" c | gmt plot -Sc0.16c -Gblack -W0.6p,white
  places "$map" c | gmt text -F+f"$CITY_FONT"+j -Dj0.12c
}

# finish NAME: the PNG from the open plot, made smaller where optipng is there.
begin() { gmt begin "$1" png E"$DPI",A+m0.15c; }
finish() {
  gmt end
  if command -v optipng >/dev/null; then optipng -quiet -o3 "$1.png"; fi
  cp "$1.png" "$OUT/$1.png"
  echo "$OUT/$1.png: $(stat -c %s "$1.png") bytes"
}

# Abraham and the patriarchs: Ur to Haran, Canaan and Egypt.
begin patriarchs
land 29/48.8/28.3/38.3 20c 2 "Abraham and the Patriarchs: from Ur to Canaan"
water_and_rivers 40/29.2 200 1
gmt plot "$(route abraham)" -W2.2p,'#c0392b',- 
names A
finish patriarchs

# The Exodus from Egypt to the plains of Moab.
begin exodus
land 30.2/36.8/27.6/32.4 17c 1 "The Exodus: from Egypt to the Promised Land"
water_and_rivers 36.0/27.95 100 1
gmt plot "$(route exodus)" -W2.2p,'#c0392b',-
names E
finish exodus

# The land divided among the tribes.
begin tribes
land 34.15/36.7/30.75/33.65 16c 0.5 "The Tribes of Israel (territories approximate)"
colours=('#f6c89f' '#f3e08c' '#c9e3a1' '#a9d8c8' '#f2b5b5' '#d7c3ec' '#f6d0e8' '#b9d0f0' '#e6d59c' '#c3e6b0' '#a9d8c8' '#f3c1a0' '#e0c3f0' '#d7c3ec')
i=0
for t in simeon judah benjamin dan ephraim manasseh-west issachar zebulun asher naphtali dan-north reuben gad manasseh-east; do
  gmt plot "$(route tribe-$t)" -G"${colours[$i]}" -W0.6p,'#8a6d4a'
  i=$((i + 1))
done
water_and_rivers 36.2/31.0 25 2
names T
finish tribes

# The divided kingdom after Solomon.
begin kingdoms
land 33.9/37.1/29.4/34.1 16c 1 "The Kingdoms of Israel and Judah"
gmt plot "$(route kingdom-israel)" -G'#c9def2' -W1p,'#2c5f8a'
gmt plot "$(route kingdom-judah)" -G'#f6d6a8' -W1p,'#a0622d'
water_and_rivers 36.3/29.8 50 2
names K
finish kingdoms

# Jesus' ministry in Galilee, Samaria and Judea.
begin ministry
land 34.25/36.2/31.2/33.45 16c 0.5 "The Ministry of Jesus: Galilee and Judea"
water_and_rivers 35.85/31.35 20 2
names J
finish ministry

# Paul's missionary journeys and the voyage to Rome, each in its colour.
begin paul
land 11.3/38.3/30.3/42.6 22c 2 "The Missionary Journeys of Paul"
water_and_rivers 14.5/31.0 300 1
gmt plot "$(route paul1)" -W2p,'#d62728'
gmt plot "$(route paul2)" -W2p,'#2ca02c',-
gmt plot "$(route paul3)" -W2p,'#1f4fd6',.
gmt plot "$(route rome)" -W2p,'#8e44ad'
names P
gmt legend -DjBL+w5.4c+o0.3c/1.2c -F+p0.5p+gwhite --FONT_ANNOT_PRIMARY=9p <<'LEGEND'
S 0.5c - 0.9c - 2p,#d62728 1.1c First journey (Acts 13-14)
S 0.5c - 0.9c - 2p,#2ca02c,- 1.1c Second journey (Acts 15-18)
S 0.5c - 0.9c - 2p,#1f4fd6,. 1.1c Third journey (Acts 18-21)
S 0.5c - 0.9c - 2p,#8e44ad 1.1c Voyage to Rome (Acts 27-28)
LEGEND
finish paul

# The churches of the letters and the seven churches of Revelation.
begin churches
land 19.5/33.8/34.6/41.7 22c 2 "The Churches of the Letters and of Revelation"
water_and_rivers 21.5/35.2 100 1
names L
finish churches
