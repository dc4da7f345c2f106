#!/usr/bin/env bash
# Draws every image of the main window skin and the program icon with
# ImageMagick, so the artwork can be redrawn and changed from one place.
# Each skin image is drawn three times, for displays at 100, 150 and 200 %:
# name.png, name@1.5x.png and name@2x.png, each drawn at its size rather than
# enlarged, so edges and text stay sharp.
#   tools/draw_artwork.sh [skin folder] [icon file]
# Defaults: resources/skin/ and resources/patchwell.ico. Output is
# deterministic (no time stamps), so redrawing unchanged art changes no file.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$repo/resources/skin}"
icon_out="${2:-$repo/resources/patchwell.ico}"
font_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf  # fonts-dejavu-core

if command -v magick >/dev/null 2>&1; then im=(magick); else im=(convert); fi
[ -f "$font_bold" ] || { echo "missing $font_bold (install fonts-dejavu-core)" >&2; exit 1; }
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Palette: one calm blue accent, a green and a red for the two outcomes, and
# cool greys for surfaces and edges.
band_top='#3B7DC4'
band_bottom='#2D67A9'
body_top='#F3F6FA'
body_bottom='#E6ECF3'
accent='#2F74C0'
accent_light='#72B1EA'
accent_mid='#3F88D3'
accent_dark='#245C9B'
edge='#8FA3B8'
green_light='#4CC88A'
green_dark='#22A062'
red_light='#EC6B63'
red_dark='#CC4139'
teal_light='#3DB5AA'
teal_dark='#208A80'
scroll_track='#EBEFF4'
scroll_thumb='#A9B8C8'

# The drawing factor (1, 1.5 or 2) and the suffix of the file names it gives.
k=1
suffix=""

# n scaled by k, rounded half away from zero as the program rounds: an edge at
# n in the 1x drawing is at px n in this one.
px() { awk -v v="$1" -v k="$k" 'BEGIN { x = v * k; printf "%d", (x < 0 ? -int(-x + 0.5) : int(x + 0.5)) }'; }
dim() { local w="${1%x*}" h="${1#*x}"; echo "$(px "$w")x$(px "$h")"; }  # WxH scaled
at() { echo "+$(px "$1")+$(px "$2")"; }  # a -geometry offset scaled
# A -draw primitive in 1x coordinates, drawn at the factor.
sd() { echo "scale $k,$k $*"; }

png() {  # output name, then ImageMagick arguments that end with the image
  local name="${1%.png}$suffix.png"; shift
  "${im[@]}" "$@" -strip -define png:exclude-chunk=all PNG32:"$out/$name"
}

# A vertical gradient clipped to a shape drawn with one draw primitive.
shape_gradient() {  # size top bottom primitive output
  "${im[@]}" -size "$1" gradient:"$2"-"$3" -alpha set \
    \( -size "$1" xc:none -fill white -draw "$4" \) -compose DstIn -composite "$5"
}

# Turns fully transparent pixels into opaque magenta, the colour the skin
# masks out; partly covered edge pixels keep their own alpha.
magenta_mask() {  # input output
  "${im[@]}" "$1" \( +clone -alpha off -fill '#FF00FF' -colorize 100 \) \
    \( "$1" -alpha extract -threshold 0 -negate \) -composite "$2"
}

# --- Program mark: a blue tile holding a white shield with a check. ------
# Drawn in a 256-unit space at four times the size, then scaled down.
draw_mark() {  # size output
  local size="$1" big=$(( $1 * 4 )) s
  s=$(awk -v b="$big" 'BEGIN { printf "%.5f", b / 256 }')
  "${im[@]}" -size "${big}x${big}" gradient:'#4C95DD'-"$accent_dark" -alpha set \
    \( -size "${big}x${big}" xc:none -fill white \
       -draw "scale $s,$s roundrectangle 10,10 246,246 54,54" \) \
    -compose DstIn -composite -compose Over \
    -fill white -stroke none \
    -draw "scale $s,$s path 'M 128,42 L 200,66 L 200,122 C 200,170 170,200 128,218 C 86,200 56,170 56,122 L 56,66 Z'" \
    -fill none -stroke "$accent" -strokewidth 22 \
    -draw "scale $s,$s stroke-linecap round stroke-linejoin round polyline 96,128 120,152 162,104" \
    -scale 25% "$2"
}

# --- Window background: title band, body and the content card. ----------
# The container stretches this 400-row image into 383 rows, so no feature
# relies on a single row surviving the squeeze.
draw_background() {
  "${im[@]}" -size "$(dim 650x400)" gradient:"$body_top"-"$body_bottom" \
    \( -size "$(dim 650x360)" xc:none -fill '#1E3A5A' -draw "$(sd roundrectangle 6,45 643,359 8,8)" \
       -channel A -evaluate multiply 0.16 +channel -blur "0x$(px 3)" \) -geometry "$(at 0 1)" -composite \
    \( -size "$(dim 650x360)" xc:none -fill white -draw "$(sd roundrectangle 6,45 643,359 8,8)" \) \
       -geometry +0+0 -composite \
    \( -size "$(dim 650x6)" gradient:'rgba(16,40,70,0.22)'-'rgba(16,40,70,0)' \) -geometry "$(at 0 38)" -composite \
    \( -size "$(dim 650x38)" gradient:"$band_top"-"$band_bottom" \) -geometry +0+0 -composite \
    \( -size "$(dim 650x1)" xc:'rgba(255,255,255,0.18)' \) -geometry +0+0 -composite \
    -alpha off "$work/bg.png"
  png bg.png "$work/bg.png"
}

# The lower section of the card behind the message text: a faint tint, an
# etched divider on top and a large, barely visible shield on the right.
draw_bottom_panel() {
  shape_gradient "$(dim 650x130)" '#F6F9FC' '#EEF3F8' "$(sd roundrectangle 4,-12 642,128 8,8)" "$work/panel.png"
  "${im[@]}" "$work/panel.png" \
    -fill '#DCE4ED' -draw "rectangle $(px 4),0 $(px 642),$(( $(px 1) - 1 ))" \
    -fill '#FFFFFF' -draw "rectangle $(px 4),$(px 1) $(px 642),$(( $(px 2) - 1 ))" \
    \( -size "$(dim 90x104)" xc:none -fill none -stroke "rgba(47,116,192,0.09)" -strokewidth 6 \
       -draw "scale $(awk -v k="$k" 'BEGIN { printf "%.4f,%.4f", 0.35 * k, 0.4 * k }') path 'M 128,30 L 212,58 L 212,122 C 212,176 178,210 128,230 C 78,210 44,176 44,122 L 44,58 Z'" \) \
    -geometry "$(at 548 14)" -composite "$work/bottom.png"
  png bg_bottom.png "$work/bottom.png"
}

# --- Title bar buttons: opaque, so the squeezed background image under the
# minimise button never shows. Normal state on the band, hover below.
band_strip() {  # width output: the band's top 20 rows
  "${im[@]}" "$work/bg.png" -crop "$(dim "${1}x20")+0+0" +repage "$2"
}

draw_title_buttons() {
  band_strip 38 "$work/band.png"
  local min_glyph
  min_glyph="fill white stroke none rectangle $(px 14),$(px 9) $(( $(px 24) - 1 )),$(( $(px 11) - 1 ))"
  "${im[@]}" -size "$(dim 38x40)" xc:none \
    \( "$work/band.png" -draw "$min_glyph" \) -geometry +0+0 -composite \
    \( -size "$(dim 38x20)" gradient:'#5E98D4'-'#4C86C5' -draw "$min_glyph" \) -geometry "$(at 0 20)" -composite \
    "$work/min.png"
  png btn_min.png "$work/min.png"

  local x_glyph
  x_glyph="$(sd stroke white stroke-width 1.6 stroke-linecap round line 13,6 21,14 line 21,6 13,14)"
  "${im[@]}" -size "$(dim 38x40)" xc:none \
    \( "$work/band.png" -fill none -draw "$x_glyph" \) -geometry +0+0 -composite \
    \( -size "$(dim 38x20)" gradient:'#E8594E'-'#CB3F35' -fill none -draw "$x_glyph" \) -geometry "$(at 0 20)" -composite \
    "$work/close.png"
  png btn_close.png "$work/close.png"
}

# --- Push button strips: normal, pushed, disabled, 29 rows each. A free
# column and row around the shape survive the 90 x 29 to 89 x 30 stretch.
# Strip n of three spans rows px(29 n) to px(29 (n + 1)), as the skin's source
# rectangles do at the factor.
button_strip() {  # n top bottom border output
  local size
  size="$(px 90)x$(( $(px $(( 29 * $1 + 29 ))) - $(px $(( 29 * $1 ))) ))"
  shape_gradient "$size" "$2" "$3" "$(sd roundrectangle 1,1 88,27 5,5)" "$work/strip_fill.png"
  "${im[@]}" "$work/strip_fill.png" -fill none -stroke "$4" -strokewidth 1 \
    -draw "$(sd roundrectangle 1.5,1.5 87.5,27.5 5,5)" \
    -stroke 'rgba(255,255,255,0.7)' -draw "$(sd line 6,2.5 83,2.5)" "$5"
}

draw_push_button() {
  button_strip 0 '#FFFFFF' '#E9EFF5' '#A5B6C8' "$work/b0.png"
  button_strip 1 '#DCE5EF' '#CDD9E6' '#8197AF' "$work/b1.png"
  button_strip 2 '#C0CAD5' '#B1BCC8' '#A1ACB8' "$work/b2.png"
  "${im[@]}" "$work/b0.png" "$work/b1.png" "$work/b2.png" -append "$work/buttons.png"
  png pach_button.png "$work/buttons.png"
}

# --- Progress bar: track, fill, and the sliding scan piece. -------------
draw_progress() {
  shape_gradient "$(dim 573x26)" '#DCE3EB' '#EDF1F5' "$(sd roundrectangle 0,0 572,25 9,9)" "$work/track.png"
  "${im[@]}" "$work/track.png" -fill none -stroke '#C4CFDB' -strokewidth 1 \
    -draw "$(sd roundrectangle 0.5,0.5 572.5,25.5 9,9)" "$work/track2.png"
  png Progress_2.png "$work/track2.png"

  shape_gradient "$(dim 573x26)" "$accent_light" "$accent_mid" "$(sd roundrectangle 2,2 570,23 7,7)" "$work/fill.png"
  "${im[@]}" "$work/fill.png" -fill none -stroke 'rgba(255,255,255,0.45)' -strokewidth 1 \
    -draw "$(sd line 8,3.5 564,3.5)" "$work/fill2.png"
  png Progress_1.png "$work/fill2.png"

  shape_gradient "$(dim 84x22)" "$accent_light" "$accent_mid" "$(sd roundrectangle 0,0 83,21 7,7)" "$work/piece.png"
  "${im[@]}" "$work/piece.png" \
    \( +clone -alpha extract \( -size "$(dim 84x22)" xc:black -fx "min(1, min(i + 0.5, w - i - 0.5) / (24 * $k))" \) \
       -compose Multiply -composite \) \
    -alpha off -compose CopyOpacity -composite "$work/piece2.png"
  png Runing_Procress.png "$work/piece2.png"
}

# --- List header background and column separator. ------------------------
draw_header() {
  "${im[@]}" -size "$(dim 633x24)" gradient:'#FBFCFE'-'#E9EEF4' \
    -fill '#E2E8EF' -draw "rectangle 0,0 $(( $(px 633) - 1 )),$(( $(px 1) - 1 ))" \
    -fill '#C9D3DE' -draw "rectangle 0,$(px 23) $(( $(px 633) - 1 )),$(( $(px 24) - 1 ))" "$work/head.png"
  png head_bk.png "$work/head.png"
  "${im[@]}" -size "$(dim 1x23)" xc:'#B9C6D4' \
    \( -size "$(dim 1x23)" xc:black -fx "min(1, min(j + 0.5, h - j - 0.5) / (6 * $k))" \) \
    -alpha off -compose CopyOpacity -composite "$work/sep.png"
  png head_fg.png "$work/sep.png"
}

# --- Check boxes and radio buttons, drawn four times larger. --------------
# One 13 x 13 box at (x, y) of a canvas; state: clear, checked or disabled.
box_layer() {  # canvas state x y output
  local x=$(( $3 * 4 )) y=$(( $4 * 4 )) draw
  case "$2" in
    clear) draw="fill white stroke $edge stroke-width 4 roundrectangle $((x+2)),$((y+2)) $((x+49)),$((y+49)) 10,10" ;;
    checked) draw="fill $accent stroke $accent_dark stroke-width 4 roundrectangle $((x+2)),$((y+2)) $((x+49)),$((y+49)) 10,10
      fill none stroke white stroke-width 7 stroke-linecap round stroke-linejoin round
      polyline $((x+12)),$((y+27)) $((x+22)),$((y+37)) $((x+40)),$((y+15))" ;;
    disabled) draw="fill #EEF1F4 stroke #C3CCD6 stroke-width 4 roundrectangle $((x+2)),$((y+2)) $((x+49)),$((y+49)) 10,10" ;;
  esac
  "${im[@]}" "$1" -draw "$draw" "$5"
}

radio_layer() {  # canvas state y output (circle in the 15 x 15 cell at y)
  local cy=$(( $3 * 4 + 30 )) draw
  case "$2" in
    clear) draw="fill white stroke $edge stroke-width 4 circle 30,$cy 30,$((cy-24))" ;;
    selected) draw="fill white stroke $accent stroke-width 5 circle 30,$cy 30,$((cy-24))
      fill $accent stroke none circle 30,$cy 30,$((cy-12))" ;;
    disabled) draw="fill #EEF1F4 stroke #C3CCD6 stroke-width 4 circle 30,$cy 30,$((cy-24))" ;;
  esac
  "${im[@]}" "$1" -draw "$draw" "$4"
}

draw_checks() {
  "${im[@]}" -size 72x180 xc:none "$work/c.png"
  box_layer "$work/c.png" clear 0 2 "$work/c.png"
  box_layer "$work/c.png" checked 0 17 "$work/c.png"
  box_layer "$work/c.png" disabled 0 32 "$work/c.png"
  png Check_Box.png "$work/c.png" -scale "$(dim 18x45)!"

  "${im[@]}" -size 72x60 xc:none "$work/k.png"
  box_layer "$work/k.png" checked 0 1 "$work/k1.png"
  box_layer "$work/k.png" clear 0 1 "$work/k0.png"
  png checked.png "$work/k1.png" -scale "$(dim 18x15)!"
  png uncheck.png "$work/k0.png" -scale "$(dim 18x15)!"

  "${im[@]}" -size 72x180 xc:none "$work/r.png"
  radio_layer "$work/r.png" selected 0 "$work/r.png"
  radio_layer "$work/r.png" clear 15 "$work/r.png"
  radio_layer "$work/r.png" disabled 30 "$work/r.png"
  png RadioButton.png "$work/r.png" -scale "$(dim 18x45)!"
}

# --- Scroll bar parts. The skin masks magenta out of these. --------------
draw_scrollbars() {
  "${im[@]}" -size "$(dim 16x52)" xc:none \
    -fill "$scroll_thumb" -draw "roundrectangle $(px 4),0 $(( $(px 12) - 1 )),$(( $(px 38) - 1 )) $(px 2),$(px 2)" \
    -fill "$scroll_track" -draw "rectangle 0,$(px 38) $(( $(px 16) - 1 )),$(( $(px 52) - 1 ))" "$work/vs.png"
  magenta_mask "$work/vs.png" "$work/vs_masked.png"
  png vscroll.png "$work/vs_masked.png"
  png scrollbar.png "$work/vs.png"

  "${im[@]}" -size "$(dim 600x16)" xc:none \
    -fill "$scroll_thumb" -draw "roundrectangle 0,$(px 4) $(( $(px 587) - 1 )),$(( $(px 12) - 1 )) $(px 2),$(px 2)" \
    -fill "$scroll_track" -draw "rectangle $(px 587),0 $(( $(px 600) - 1 )),$(( $(px 16) - 1 ))" "$work/hs.png"
  magenta_mask "$work/hs.png" "$work/hs_masked.png"
  png vscroll-2.png "$work/hs_masked.png"
}

# --- Result marks: a green check for success, a red cross for failure. ----
result_mark() {  # light dark glyph-primitive output
  "${im[@]}" -size 424x424 xc:none \
    -fill "$1" -draw "circle 212,212 212,4" \
    -channel A -evaluate multiply 0.16 +channel \
    \( -size 424x424 gradient:"$1"-"$2" -alpha set \( -size 424x424 xc:none -fill white -draw "circle 212,212 212,30" \) \
       -compose DstIn -composite \) -compose Over -composite \
    -fill none -stroke 'rgba(255,255,255,0.35)' -strokewidth 6 -draw "circle 212,212 212,44" \
    -stroke white -strokewidth 34 -draw "stroke-linecap round stroke-linejoin round $3" \
    -scale "$(dim 106x106)!" "$4"
}

draw_results() {
  result_mark "$green_light" "$green_dark" "polyline 130,218 188,274 296,158" "$work/ok.png"
  png PatchOK.png "$work/ok.png"
  result_mark "$red_light" "$red_dark" "line 150,150 274,274 line 274,150 150,274" "$work/fail.png"
  png unsucessed.png "$work/fail.png"
}

# --- Welcome pictures: round badges with a white glyph. -------------------
badge() {  # light dark glyph-draw output
  "${im[@]}" -size 120x128 gradient:"$1"-"$2" -alpha set \
    \( -size 120x128 xc:none -fill white -draw "circle 60,64 60,10" \) -compose DstIn -composite \
    -compose Over -fill none -stroke white -strokewidth 9 \
    -draw "stroke-linecap round stroke-linejoin round $3" -scale "$(dim 30x32)!" "$4"
}

draw_pictures() {
  badge "$accent_light" "$accent_dark" \
    "line 60,34 60,76 polyline 42,60 60,78 78,60 line 38,92 82,92" "$work/p1.png"
  png pic1.png "$work/p1.png"
  badge "$green_light" "$green_dark" \
    "path 'M 60,30 L 86,40 L 86,62 C 86,80 76,92 60,98 C 44,92 34,80 34,62 L 34,40 Z' polyline 48,64 57,73 73,54" \
    "$work/p2.png"
  png pic2.png "$work/p2.png"
  # A wrench: handle, round head, and a jaw cut out of the head.
  "${im[@]}" -size 120x128 xc:none -fill white -stroke white -strokewidth 15 \
    -draw "stroke-linecap round line 38,90 66,62" -stroke none -draw "circle 76,50 76,29" \
    \( -size 120x128 xc:none -fill white -draw "polygon 67,43 83,59 108,34 92,18" \) \
    -compose DstOut -composite "$work/wrench.png"
  "${im[@]}" -size 120x128 gradient:"$teal_light"-"$teal_dark" -alpha set \
    \( -size 120x128 xc:none -fill white -draw "circle 60,64 60,10" \) -compose DstIn -composite \
    "$work/wrench.png" -compose Over -composite -scale "$(dim 30x32)!" "$work/p3.png"
  png pic3.png "$work/p3.png"
}

# --- Word mark for the website button and the large unused picture. ------
word_mark() {  # pointsize output
  "${im[@]}" -background none -font "$font_bold" -pointsize "$1" \
    \( -fill "$accent_dark" label:Patch \) \( -fill "$accent_mid" label:well \) +append "$2"
}

draw_logo() {
  draw_mark "$(px 26)" "$work/mark26.png"
  word_mark "$(awk -v k="$k" 'BEGIN { print 17 * k }')" "$work/word.png"
  "${im[@]}" -size "$(dim 152x30)" xc:none \
    "$work/mark26.png" -geometry "$(at 2 2)" -composite \
    "$work/word.png" -gravity west -geometry "$(at 33 0)" -composite "$work/logo.png"
  png logo.png "$work/logo.png"

  draw_mark "$(px 448)" "$work/mark448.png"
  word_mark "$(awk -v k="$k" 'BEGIN { print 86 * k }')" "$work/word_big.png"
  "${im[@]}" -size "$(dim 616x722)" xc:none \
    "$work/mark448.png" -gravity north -geometry "$(at 0 60)" -composite \
    "$work/word_big.png" -gravity north -geometry "$(at 0 548)" -composite "$work/ico.png"
  png ico.png "$work/ico.png"
}

draw_icon() {
  local sizes=(16 24 32 48 256) files=()
  for n in "${sizes[@]}"; do
    draw_mark "$n" "$work/icon$n.png"
    files+=("$work/icon$n.png")
  done
  "${im[@]}" "${files[@]}" -strip "$icon_out"
}

for factor in 1 1.5 2; do
  k="$factor"
  case "$factor" in 1) suffix="" ;; *) suffix="@${factor}x" ;; esac
  draw_background
  draw_bottom_panel
  draw_title_buttons
  draw_push_button
  draw_progress
  draw_header
  draw_checks
  draw_scrollbars
  draw_results
  draw_pictures
  draw_logo
done
draw_icon
echo "artwork written to $out and $icon_out"
