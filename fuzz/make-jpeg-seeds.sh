#!/bin/sh
# Makes the JPEG reader's fuzz seeds: small pictures of each layout the reader meets (colour with
# 4:2:0 and 4:4:4 sampling, grey, progressive, restart markers) and one stored picture value.
# usage: fuzz/make-jpeg-seeds.sh   (needs ImageMagick's convert)
set -eu
out=$(cd "$(dirname "$0")" && pwd)/seeds/jpeg_fuzzer
mkdir -p "$out"
convert -size 16x16 gradient:red-blue -quality 80 -sampling-factor 2x2 "$out/colour420.jpg"
convert -size 17x9 gradient:yellow-green -quality 90 -sampling-factor 1x1 \
  -define jpeg:restart-interval=1 "$out/colour444-restart.jpg"
convert -size 24x8 gradient:white-black -colorspace Gray -quality 75 "$out/grey.jpg"
convert -size 16x16 plasma:fractal -seed 7 -interlace JPEG -quality 70 "$out/progressive.jpg"
# The stored picture value: length byte, class name, 32-bit little-endian count, the JFIF bytes.
src="$out/colour420.jpg"
n=$(wc -c < "$src")
{
  printf '\012TJPEGImage'
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)))"
  cat "$src"
} > "$out/stored.value"
ls -l "$out"
