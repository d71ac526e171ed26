#!/bin/bash
# Builds one .ico from XPM art: every source image goes in at 4, 8, 24 and
# again 24 bpp, in the order given.
#
#   make-icon.sh OUTPUT.ico WORK_DIR SOURCE.xpm...
#
# The tools come from XPMTOPPM, PNMTOPNG and ICOTOOL (default: found on PATH),
# so the build can hand over the ones it located.
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 OUTPUT.ico WORK_DIR SOURCE.xpm..." >&2
    exit 2
fi
out=$1
work=$2
shift 2

xpmtoppm=${XPMTOPPM:-xpmtoppm}
pnmtopng=${PNMTOPNG:-pnmtopng}
icotool=${ICOTOOL:-icotool}

mkdir -p "$work"
args=()
expected=()
for src in "$@"; do
    name=$(basename "$src" .xpm)
    "$xpmtoppm" --alphaout="$work/$name.mask.pbm" "$src" > "$work/$name.ppm"
    "$pnmtopng" -alpha="$work/$name.mask.pbm" "$work/$name.ppm" > "$work/$name.png"
    size=$(head -c 24 "$work/$name.png" | od -An -tu1 -j16 | awk '{print $4 "x" $8}')
    for bpp in 4 8 24 24; do
        args+=(-b "$bpp" "$work/$name.png")
        expected+=("${size}x$bpp")
    done
done

# icotool cannot reduce colours: art with too many colours for 4 or 8 bpp
# would silently come out deeper, so compare what it wrote with what we asked.
"$icotool" -c -o "$work/out.ico" "${args[@]}"
mapfile -t got < <("$icotool" -l "$work/out.ico" |
    sed -E 's/.*--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+).*/\1x\2x\3/')
if [ "${got[*]}" != "${expected[*]}" ]; then
    echo "make-icon.sh: $out came out wrong (too many colours in the art?)" >&2
    echo "  wanted: ${expected[*]}" >&2
    echo "  got:    ${got[*]}" >&2
    exit 1
fi
mv -f "$work/out.ico" "$out"
