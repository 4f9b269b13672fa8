#!/usr/bin/env bash
# Draws the skin of the settings pages: the four page backgrounds, the
# owner-drawn button images (up and pressed) and the page icon, each in the
# normal set and the high-DPI set.
#
# Everything is vector drawing (ImageMagick MVG) laid out in the 400 x 300
# design space of the pages; the high-DPI set is the same drawing rendered at
# scale 1.25, not a resize of the normal bitmaps. A control at dialog units
# (x, y) size (w, h) covers design pixels (2x, 2y) size (2w, 2h).
#
# Needs: imagemagick, fonts-dejavu-core.  Usage: resources/art/make-art.sh
set -euo pipefail

ART_DIR=$(cd "$(dirname "$0")" && pwd)
OUT_DIR=$(cd "$ART_DIR/.." && pwd)
SOURCE_ROOT=$(cd "$ART_DIR/../.." && pwd)

fail() {
    printf 'make-art.sh: %s\n' "$*" >&2
    exit 1
}

if command -v magick >/dev/null 2>&1; then
    IM=(magick)
else
    IM=(convert)
fi

FONT_DIR=/usr/share/fonts/truetype/dejavu
FONT="$FONT_DIR/DejaVuSans.ttf"
FONT_BOLD="$FONT_DIR/DejaVuSans-Bold.ttf"
for font in "$FONT" "$FONT_BOLD"; do
    [ -r "$font" ] || fail "missing font $font (install fonts-dejavu-core)"
done

# Palette.
BAND='#27395A'        # title band (drag zone)
BAND_SUB='#AFC3E2'    # page name in the title band
ACCENT='#F08A24'      # orange accent
STRIP='#D3DAE6'       # area between title band and tab line
TAB_OFF='#C2CCDA'     # inactive tab
TAB_OFF_TEXT='#34435B'
TAB_LINE='#8A99B0'    # tab outlines and the tab base line
BODY='#EAEEF4'        # page body
PANEL='#F5F7FA'       # group panels
PANEL_LINE='#C8D0DC'
LABEL='#24324A'       # printed labels
HINT='#6A7990'        # low-key printed hints
WELL='#FFFFFF'        # plain area under transparent value texts
WELL_LINE='#AAB7C9'
OUTLINE='#45587B'     # border along the rounded page outline

# Tab row of the design space (Y 39..59): labels in the order of the table
# Tabs in pages/page_geometry.cpp, whose inclusive X ranges the pages'
# hit-testing uses and the drawing reads from there. The frame-rate tab is
# too narrow for "Frame rate" at a readable size, so it reads "FPS".
TAB_NAMES=("General" "FPS" "Movies" "Screenshots")
TAB_GEOMETRY="$SOURCE_ROOT/pages/page_geometry.cpp"
TAB_RANGES=$(awk '/^static const TabRange Tabs\[\] = \{/, /^\};/' "$TAB_GEOMETRY" | grep -o '{ *[0-9]* *, *[0-9]* *}' |
    tr -d '{} ') || fail "cannot read the table Tabs in $TAB_GEOMETRY"
read -r -a TAB_X0 <<<"$(cut -d, -f1 <<<"$TAB_RANGES" | xargs)"
read -r -a TAB_X1 <<<"$(cut -d, -f2 <<<"$TAB_RANGES" | xargs)"
[ "${#TAB_X0[@]}" -eq "${#TAB_NAMES[@]}" ] || fail "expected ${#TAB_NAMES[@]} rows in the table Tabs of $TAB_GEOMETRY"

MVG=""
S=1

add() { MVG+="$*"$'\n'; }

# gradient_box X0 Y0 X1 Y1 R TOP BOTTOM LINE: a rounded box whose face runs
# from colour TOP to colour BOTTOM, outlined with LINE. The face is drawn as
# overlapping one-pixel strips in design space, so it scales with the rest of
# the drawing.
gradient_box() {
    add "fill '$6' stroke none roundrectangle $1,$2 $3,$4 $5,$5"
    add "fill '$7' stroke none roundrectangle $1,$(awk -v a="$4" -v r="$5" 'BEGIN { print a - 2 * r }') $3,$4 $5,$5"
    MVG+=$(awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v r="$5" -v c0="$6" -v c1="$7" '
        function hex(h, i) { return index("0123456789abcdef", tolower(substr(h, i, 1))) - 1 }
        function chan(c, k) { return hex(c, 2 + 2 * k) * 16 + hex(c, 3 + 2 * k) }
        BEGIN {
            for (y = y0 + r; y <= y1 - r; y++) {
                t = (y - y0 - r) / (y1 - y0 - 2 * r)
                printf "fill #"
                for (k = 0; k < 3; k++) printf "%02X", chan(c0, k) + (chan(c1, k) - chan(c0, k)) * t + 0.5
                printf " rectangle %g,%g %g,%g\n", x0, y, x1, (y + 1.5 < y1 - r ? y + 1.5 : y1 - r)
            }
        }')$'\n'
    add "fill none stroke '$8' stroke-width 1 roundrectangle $1,$2 $3,$4 $5,$5"
}

# text X Y ANCHOR FONT SIZE COLOUR STRING
text() {
    add "push graphic-context"
    add "font '$4' font-size $5 fill '$6' stroke none text-anchor $3"
    add "text $1,$2 '$7'"
    add "pop graphic-context"
}

label() { text "$1" "$2" start "$FONT" 12 "$LABEL" "$3"; }
heading() { text "$1" "$2" start "$FONT_BOLD" 10 "$LABEL" "$3"; }

# panel X0 Y0 X1 Y1: a subtle rounded group box (inclusive design pixels).
panel() {
    add "fill '$PANEL' stroke '$PANEL_LINE' stroke-width 1"
    add "roundrectangle $1,$2 $3,$4 6,6"
}

# well X Y W H: plain white field under a transparent control of that rect,
# two pixels larger on every side.
well() {
    add "fill '$WELL' stroke '$WELL_LINE' stroke-width 1"
    add "roundrectangle $(($1 - 2)),$(($2 - 2)) $(($1 + $3 + 1)),$(($2 + $4 + 1)) 3,3"
}

# Frame shared by every page: body, title band, tab row.
# $1 = index of the page's own tab, $2 = page name for the title.
page_frame() {
    local own=$1 name=$2 i x0 x1 cx
    add "fill '$BODY' stroke none rectangle 0,0 399,299"
    add "fill '$BAND' roundrectangle 0,0 399,60 25,25"
    add "fill '$STRIP' rectangle 0,29 399,59"
    add "fill '$ACCENT' rectangle 0,26 399,28"
    text 22 19 start "$FONT_BOLD" 14 '#FFFFFF' "ZENTU64"
    add "fill '$BAND_SUB' rectangle 100,8 100,20"
    text 108 19 start "$FONT" 13 "$BAND_SUB" "$name"

    # Base line of the tab row, the body's top edge.
    add "stroke '$TAB_LINE' stroke-width 1 line 4,59 395,59"
    for i in 0 1 2 3; do
        x0=$((TAB_X0[i] + 1)) x1=${TAB_X1[i]}
        cx=$(awk -v a="${TAB_X0[i]}" -v b="${TAB_X1[i]}" 'BEGIN { printf "%g", (a + b + 1) / 2 }')
        if [ "$i" -eq "$own" ]; then
            add "fill '$BODY' stroke '$TAB_LINE' stroke-width 1"
            add "path 'M $x0,60 L $x0,44 Q $x0,39 $((x0 + 5)),39 L $((x1 - 5)),39 Q $x1,39 $x1,44 L $x1,60'"
            add "fill '$ACCENT' stroke none"
            add "path 'M $((x0 + 1)),42 Q $((x0 + 1)),40 $((x0 + 5)),40 L $((x1 - 5)),40 Q $((x1 - 1)),40 $((x1 - 1)),42 Z'"
            add "fill '$BODY' stroke none rectangle $((x0 + 1)),59 $((x1 - 1)),60"
            text "$cx" 54 middle "$FONT_BOLD" 11 "$LABEL" "${TAB_NAMES[i]}"
        else
            add "fill '$TAB_OFF' stroke '$TAB_LINE' stroke-width 1"
            add "path 'M $x0,59 L $x0,47 Q $x0,43 $((x0 + 4)),43 L $((x1 - 4)),43 Q $x1,43 $x1,47 L $x1,59 Z'"
            text "$cx" 55 middle "$FONT" 11 "$TAB_OFF_TEXT" "${TAB_NAMES[i]}"
        fi
    done
}

# Border along the rounded page outline (drawn last, over everything).
page_outline() {
    add "fill none stroke '$OUTLINE' stroke-width 2"
    add "roundrectangle 1,1 398,298 24,24"
}

# Group of a hotkey field (60 x 12 dialog units) and its clear button.
# $1 = label, $2 = field top (design); the label sits above the field.
hotkey_label() { label 24 $(($2 - 8)) "$1"; }

# Folder line of the movies and screenshots pages: label left of the
# change/view buttons (dialog (110,35) and (151,35)), the folder text
# (dialog (13,49) 174 x 10) on a plain well.
folder_group() {
    panel 14 64 387 123
    label 24 87 "$1"
    well 26 98 348 20
}

draw_general() {
    page_frame 0 "General"

    # Product mark: a small gauge over the name.
    local cx=100 cy=120
    add "fill none stroke '#C5CFDD' stroke-width 7"
    add "path 'M $((cx - 36)),$cy A 36,36 0 0,1 $((cx + 36)),$cy'"
    add "stroke '$BAND' stroke-width 7"
    add "path 'M $((cx - 36)),$cy A 36,36 0 0,1 $((cx + 25)),$((cy - 26))'"
    add "stroke '$ACCENT' stroke-width 7"
    add "path 'M $((cx + 25)),$((cy - 26)) A 36,36 0 0,1 $((cx + 36)),$cy'"
    add "stroke '$BAND' stroke-width 3 line $cx,$cy $((cx + 18)),$((cy - 22))"
    add "fill '$BAND' stroke none circle $cx,$cy $((cx + 5)),$cy"
    text $cx 146 middle "$FONT_BOLD" 20 "$BAND" "ZENTU64"
    text $cx 161 middle "$FONT" 10 "$HINT" "Frame rate  ·  Benchmarks"
    text $cx 174 middle "$FONT" 10 "$HINT" "Movies  ·  Screenshots"

    # Version (1061 at dialog (150,45)) and build (1062 at (150,72)), 40 x 12:
    # the program writes the values transparently onto the wells.
    panel 204 74 387 177
    label 216 107 "Version"
    well 300 90 80 24
    add "stroke '$PANEL_LINE' stroke-width 1 line 216,129 375,129"
    label 216 161 "Build"
    well 300 144 80 24

    # Options: check boxes 1017, 1018, 1019 at dialog x 12, y 92..117.
    panel 14 180 262 241
}

draw_fps() {
    page_frame 1 "Frame rate"

    # Hotkey fields 1070 (dialog (12,45)) and 1071 ((12,73)) with their
    # clear buttons 1068 and 1069 at x 75.
    panel 14 64 240 176
    hotkey_label "Overlay hotkey" 90
    hotkey_label "Benchmark hotkey" 146

    # Overlay corner radio buttons 1072 (134,46), 1056 (176,46), 1073 (134,73),
    # 1074 (176,73), 7 x 7 each: the corners of a small screen.
    add "fill '#3A4C6C' stroke '#26344B' stroke-width 1"
    add "roundrectangle 254,76 380,170 6,6"
    add "fill '#F4F7FB' stroke '#1C283C' stroke-width 1"
    add "rectangle 261,83 373,163"
    add "fill none stroke '#D5DDE8' stroke-width 1"
    add "rectangle 264,86 370,160"
    text 317 121 middle "$FONT" 11 "$HINT" "Overlay"
    text 317 135 middle "$FONT" 11 "$HINT" "corner"
    add "fill '#6E85AB' stroke none circle 317,167 318.5,167"
    # 1075 "Disabled" sits below the screen at (140,87); nothing printed there.

    # Benchmark statistics check boxes 1108, 1107 (y 126) and 1109 (y 135).
    panel 14 240 196 292
    heading 24 250 "Benchmark statistics"
}

draw_movies() {
    page_frame 2 "Movies"
    folder_group "Movie folder"

    # Movie hotkey 1088 (12,73) and clear button 1089 (75,73).
    panel 14 126 234 176
    hotkey_label "Movie hotkey" 146

    # Size radio buttons 1096, 1097 at (120,71) and (120,78).
    heading 240 137 "Movie size"

    # Rate radio buttons 1091, 1092, 1100, 1101 at (162,64..85), custom
    # button 1090 (162,95) with its box 1108 (170,93) 23 x 10, which has
    # no text of its own: "custom fps" under it.
    panel 318 124 392 221
    text 355 218 middle "$FONT" 10 "$LABEL" "custom fps"

    # Sound: 1017 (12,92), 1095 (75,92), 1094 (75,99).
    panel 14 179 313 215
}

draw_screenshots() {
    page_frame 3 "Screenshots"
    folder_group "Screenshot folder"

    # Screenshot hotkey 1080 (12,73) and clear button 1079 (75,73).
    panel 14 126 234 176
    hotkey_label "Screenshot hotkey" 146

    # Format radio buttons 1102, 1056, 1103 at (162,71..85).
    panel 318 124 392 191
    heading 324 137 "Format"
}

# scaled_drawing: the current MVG at scale S, as -draw takes it.
scaled_drawing() {
    printf 'push graphic-context\nscale %s,%s\n%s\npop graphic-context' "$S" "$S" "$MVG"
}

# render OUTFILE WIDTH HEIGHT BACKGROUND: the current MVG at scale S onto a
# canvas of that colour, saved as an uncompressed 24-bit BMP.
render() {
    "${IM[@]}" -size "$2x$3" xc:"$4" -draw "$(scaled_drawing)" \
        -alpha off -type TrueColor BMP3:"$1"
}

# each_set WIDTH HEIGHT FUNCTION ARGUMENTS...: FUNCTION for the normal and
# the high-DPI set, with S, SUFFIX, W x H and LAST_X, LAST_Y set for each.
each_set() {
    local width=$1 height=$2 fn=$3
    shift 3
    for S in 1 1.25; do
        if [ "$S" = 1 ]; then SUFFIX=""; else SUFFIX="_hd"; fi
        W=$(awk -v n="$width" -v s="$S" 'BEGIN { printf "%d", n * s + 0.5 }')
        H=$(awk -v n="$height" -v s="$S" 'BEGIN { printf "%d", n * s + 0.5 }')
        LAST_X=$(awk -v n="$W" -v s="$S" 'BEGIN { printf "%g", n / s - 1 }')
        LAST_Y=$(awk -v n="$H" -v s="$S" 'BEGIN { printf "%g", n / s - 1 }')
        "$fn" "$@"
    done
}

# page FILE_BASE DRAW_FUNCTION: a page background, 400 x 300 design pixels.
page() { each_set 400 300 page_bitmap "$@"; }
page_bitmap() {
    MVG=""
    "$2"
    page_outline
    render "$OUT_DIR/$1$SUFFIX.bmp" "$W" "$H" "$BODY"
}

# push_button FILE_BASE LABEL: an owner-drawn push button, up and pressed,
# 80 x 24 design pixels.
push_button() { each_set 80 24 push_button_bitmaps "$@"; }
push_button_bitmaps() {
    local base=$1 caption=$2 bw=$LAST_X bh=$LAST_Y state top bottom line dx
    for state in up down; do
        MVG=""
        if [ "$state" = up ]; then
            top='#FFFFFF' bottom='#D3DBE6' line='#75859D' dx=0
        else
            top='#AEBACB' bottom='#CCD4E0' line='#4E5E78' dx=1
        fi
        gradient_box 0 0 "$bw" "$bh" 4 "$top" "$bottom" "$line"
        if [ "$state" = down ]; then
            add "fill none stroke '#8F9DB2' stroke-width 1"
            add "line 3,1 $(awk -v b="$bw" 'BEGIN { print b - 3 }'),1"
            add "line 1,3 1,$(awk -v b="$bh" 'BEGIN { print b - 3 }')"
        fi
        text "$(awk -v b="$bw" -v d="$dx" 'BEGIN { print b / 2 + d }')" $((16 + dx)) middle \
            "$FONT_BOLD" 11 "$LABEL" "$caption"
        render "$OUT_DIR/btn_${base}_$state$SUFFIX.bmp" "$W" "$H" "$BODY"
    done
}

# caption_button FILE_BASE GLYPH: a caption button on the title band, up and
# pressed, 18 x 14 design pixels; GLYPH is min or close.
caption_button() { each_set 18 14 caption_button_bitmaps "$@"; }
caption_button_bitmaps() {
    local base=$1 glyph=$2 bw=$LAST_X bh=$LAST_Y state fill line ink dx
    for state in up down; do
        MVG=""
        if [ "$state" = up ]; then
            fill='#3C5482' line='#7189B4' ink='#FFFFFF' dx=0
        elif [ "$glyph" = close ]; then
            fill='#8E2B2B' line='#5E1C1C' ink='#F2D8D8' dx=1
        else
            fill='#17243B' line='#0E1626' ink='#D0DAEA' dx=1
        fi
        add "fill '$fill' stroke '$line' stroke-width 1"
        add "roundrectangle 0,0 $bw,$bh 3,3"
        if [ "$glyph" = min ]; then
            add "fill '$ink' stroke none rectangle $((5 + dx)),$((8 + dx)) $((12 + dx)),$((9 + dx))"
        else
            add "fill none stroke '$ink' stroke-width 1.6 stroke-linecap round"
            add "line $((5 + dx)),$((3 + dx)) $((12 + dx)),$((10 + dx))"
            add "line $((12 + dx)),$((3 + dx)) $((5 + dx)),$((10 + dx))"
        fi
        render "$OUT_DIR/btn_${base}_$state$SUFFIX.bmp" "$W" "$H" "$BAND"
    done
}

# Page icon: a white "Z" with an orange stroke on a rounded blue square,
# drawn in a 48-unit box at 16, 32 and 48 pixels.
icon() {
    local tmp size frames=()
    tmp=$(mktemp -d)
    for size in 16 32 48; do
        S=$(awk -v n="$size" 'BEGIN { printf "%g", n / 48 }')
        MVG=""
        gradient_box 1 1 46 46 9 '#3F5F94' '#1E2E4C' '#1A2740'
        add "fill '#FFFFFF' polygon 11,9 37,9 37,16 21,32 37,32 37,39 11,39 11,32 27,16 11,16"
        add "fill '$ACCENT' polygon 30,23 37,16 37,23"
        "${IM[@]}" -size "${size}x${size}" xc:none -draw "$(scaled_drawing)" PNG32:"$tmp/z$size.png"
        frames+=("$tmp/z$size.png")
    done
    "${IM[@]}" "${frames[@]}" "$OUT_DIR/zentu.ico"
    rm -rf "$tmp"
}

page bg_general draw_general
page bg_fps draw_fps
page bg_movies draw_movies
page bg_screenshots draw_screenshots

push_button help "Help"
push_button clear "Clear"
push_button change "Change"
push_button view "View"
caption_button min min
caption_button close close

icon
