#!/bin/sh
# Draws Velmora's splash picture and icons with ImageMagick 6 (Debian's
# imagemagick package). The results are committed; run this again only to
# change the art. Output is deterministic: the star field comes from a fixed
# seed and no time stamps are written into the files.
#
#   resources/splash.jpg                 297 x 189 baseline JPEG
#   resources/icons/velmora-<N>.png      toolbar icon, N = 48 (16-colour palette), 64, 128, 256
#   resources/icons/velmora-zep-<N>.png  stand-in host icon, same sizes
set -eu

here=$(cd "$(dirname "$0")" && pwd)
icons="$here/icons"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$icons"

# PNGs without time stamps or other ancillary chunks, so reruns are byte-identical.
pngopts="-strip -define png:exclude-chunks=date,time,tIME"

# Scenes are drawn at this scale and shrunk once at the end: smoother edges than
# drawing at the final size.
K=4

# A shaded Earth of radius R px, square canvas of side 2R, transparent outside
# the disc. The continents are loose shapes of our own, not a map.
globe() { # R out
  R=$1; D=$((2 * R))
  # Continents on a unit design of 200 x 200, scaled to the globe.
  s=$(awk -v d="$D" 'BEGIN { printf "%.4f", d / 200 }')
  convert -size ${D}x${D} xc:'#1d5fb8' \
    -fill '#3f9b46' -stroke none \
    -draw "scale $s,$s polygon 38,52 62,34 92,38 104,56 96,74 78,80 72,104 58,118 46,100 40,78" \
    -draw "scale $s,$s polygon 70,118 90,112 102,126 98,152 86,178 76,170 72,146" \
    -draw "scale $s,$s polygon 118,40 150,30 176,48 170,70 150,74 140,92 124,86 114,62" \
    -draw "scale $s,$s polygon 128,98 150,96 162,116 154,140 138,150 128,132" \
    -fill '#b59a5a' \
    -draw "scale $s,$s ellipse 142,110 6,4 0,360" \
    -draw "scale $s,$s ellipse 58,62 7,4 0,360" \
    "$work/land.png"
  # Light from the upper left: a radial falloff multiplied over the surface.
  hx=$((D * 36 / 100)); hy=$((D * 32 / 100)); hr=$((D * 82 / 100))
  convert -size ${D}x${D} -define gradient:center=$hx,$hy -define gradient:radii=$hr,$hr \
    radial-gradient:'#ffffff'-'#10182a' "$work/shade.png"
  convert -size ${D}x${D} xc:black -fill white -draw "circle $R,$R $R,1" "$work/disc.png"
  convert "$work/land.png" "$work/shade.png" -compose Multiply -composite \
    "$work/disc.png" -alpha off -compose CopyOpacity -composite \
    -fill none -stroke '#8fd3ff80' -strokewidth $((D / 60 + 1)) \
    -draw "circle $R,$R $R,$((D / 120 + 1))" \
    "$2"
}

# One half of an inclined orbit ellipse: "front" passes in front of the globe,
# "back" behind it.
orbit() { # W H cx cy rx ry tilt width colour half out
  # The whole ellipse, cut along its major axis: ImageMagick 6 strokes partial
  # ellipses and arcs as closed shapes, chord included.
  case ${10} in front) y0=0; y1=$2 ;; back) y0=-$2; y1=0 ;; esac
  convert -size ${1}x${2} xc:none -fill none -stroke "$9" -strokewidth "$8" \
    -draw "translate $3,$4 rotate $7 ellipse 0,0 $5,$6 0,360" \
    \( -size ${1}x${2} xc:black -fill white -stroke none \
       -draw "translate $3,$4 rotate $7 rectangle -$1,$y0 $1,$y1" \) \
    -compose DstIn -composite "${11}"
}

# A point on that ellipse at parameter angle T (degrees), in canvas coordinates.
orbit_point() { # cx cy rx ry tilt T
  awk -v cx="$1" -v cy="$2" -v rx="$3" -v ry="$4" -v t="$5" -v u="$6" 'BEGIN {
    p = 3.14159265358979 / 180; x = rx * cos(u * p); y = ry * sin(u * p)
    printf "%d %d", cx + x * cos(t * p) - y * sin(t * p), cy + x * sin(t * p) + y * cos(t * p) }'
}

# Stars: a fixed Park-Miller sequence, so every run draws the same sky.
stars() { # W H count
  awk -v w="$1" -v h="$2" -v n="$3" 'BEGIN {
    s = 20240607
    for (i = 0; i < n; i++) {
      s = (s * 16807) % 2147483647; x = s % w
      s = (s * 16807) % 2147483647; y = s % h
      s = (s * 16807) % 2147483647; g = 90 + s % 166
      s = (s * 16807) % 2147483647; r = (s % 9 == 0) ? 2.2 : 1.1
      b = g + 20; if (b > 255) b = 255
      printf " -fill \047rgb(%d,%d,%d)\047 -draw \"circle %d,%d %.1f,%d\"", g, g, b, x, y, x + r, y
    }
  }'
}

# --- Splash: 297 x 189, the name over Earth and an inclined orbit ----------
W=$((297 * K)); H=$((189 * K))
gx=$((150 * K)); gy=$((116 * K)); gr=$((50 * K))
rx=$((128 * K)); ry=$((40 * K)); tilt=-16
globe $gr "$work/globe.png"
orbit $W $H $gx $gy $rx $ry $tilt $((2 * K)) '#ffc845' back "$work/orbit-back.png"
orbit $W $H $gx $gy $rx $ry $tilt $((2 * K)) '#ffc845' front "$work/orbit-front.png"
set -- $(orbit_point $gx $gy $rx $ry $tilt 52)
sx=$1; sy=$2
eval "convert -size ${W}x${H} -define gradient:center=$gx,$gy -define gradient:radii=$((W * 3 / 4)),$((W * 3 / 4)) \
  radial-gradient:'#0c1838'-'#010108' $(stars $W $H 140) \"$work/sky.png\""
convert "$work/sky.png" \
  "$work/orbit-back.png" -compose Over -composite \
  "$work/globe.png" -geometry +$((gx - gr))+$((gy - gr)) -compose Over -composite \
  "$work/orbit-front.png" -geometry +0+0 -compose Over -composite \
  -fill '#ffffff40' -stroke none -draw "circle $sx,$sy $((sx + 7 * K)),$sy" \
  -fill '#ffffff' -draw "circle $sx,$sy $((sx + 3 * K)),$sy" \
  -fill '#ff5a3c' -draw "circle $sx,$sy $((sx + 2 * K)),$sy" \
  -resize 297x189! "$work/scene.png"
# The name is set at the final size so its strokes stay crisp.
convert "$work/scene.png" \
  -font DejaVu-Sans-Bold -pointsize 25 -gravity north \
  -fill '#00000090' -annotate +1+11 'Velmora Toolbar' \
  -fill '#f2f6ff' -annotate +0+10 'Velmora Toolbar' \
  -strip -interlace none -sampling-factor 2x2 -quality 92 "$here/splash.jpg"

# --- Icons ------------------------------------------------------------------
# Drawn on a 512 canvas: toolbar = Earth with a tilted orbit ring and a
# satellite; stand-in host = a dark viewer tile with a gridded globe and the
# same ring, so the two read as a pair.
S=512; c=256
toolbar_icon() { # out
  globe 168 "$work/ig.png"
  orbit $S $S $c $c 236 74 -28 26 '#ffc845' back "$work/ib.png"
  orbit $S $S $c $c 236 74 -28 26 '#ffc845' front "$work/if.png"
  set -- "$1" $(orbit_point $c $c 236 74 -28 62)
  convert -size ${S}x${S} xc:none \
    "$work/ib.png" -compose Over -composite \
    "$work/ig.png" -geometry +$((c - 168))+$((c - 168)) -compose Over -composite \
    "$work/if.png" -geometry +0+0 -compose Over -composite \
    -stroke '#202020' -strokewidth 6 -fill '#ff5a3c' -draw "circle $2,$3 $(($2 + 30)),$3" \
    "$1"
}
host_icon() { # out
  globe 150 "$work/hg.png"
  # Meridians and parallels over the globe: the viewer's look.
  convert "$work/hg.png" -fill none -stroke '#d8ecff70' -strokewidth 5 \
    -draw "ellipse 150,150 50,148 0,360" -draw "ellipse 150,150 110,148 0,360" \
    -draw "line 150,2 150,298" -draw "line 2,150 298,150" \
    -draw "ellipse 150,80 130,12 0,360" -draw "ellipse 150,220 130,12 0,360" \
    "$work/disc.png" -alpha off -compose CopyOpacity -composite "$work/hg.png"
  orbit $S $S $c 266 220 64 -20 22 '#ffc845' back "$work/hb.png"
  orbit $S $S $c 266 220 64 -20 22 '#ffc845' front "$work/hf.png"
  convert -size ${S}x${S} xc:none \
    -fill '#16223c' -stroke '#5d7fb8' -strokewidth 12 -draw "roundrectangle 22,22 490,490 64,64" \
    "$work/hb.png" -compose Over -composite \
    "$work/hg.png" -geometry +$((c - 150))+$((266 - 150)) -compose Over -composite \
    "$work/hf.png" -geometry +0+0 -compose Over -composite \
    -fill '#5d7fb8' -stroke none -draw "rectangle 22,22 490,76" \
    -fill '#ff5a3c' -draw "circle 70,49 82,49" -fill '#ffc845' -draw "circle 106,49 118,49" \
    "$1"
}
toolbar_icon "$work/velmora.png"
host_icon "$work/velmora-zep.png"

for name in velmora velmora-zep; do
  for n in 64 128 256; do
    convert "$work/$name.png" -resize ${n}x${n} $pngopts "PNG32:$icons/$name-$n.png"
  done
  # 48 x 48 with at most 16 colours in a palette (transparency is one of them),
  # the size and depth the window icon is specified at.
  convert "$work/$name.png" -resize 48x48 -channel A -threshold 50% +channel \
    +dither -colors 16 -define png:bit-depth=4 $pngopts "PNG8:$icons/$name-48.png"
done
