#!/bin/sh
# Makes the JPEG reader's fuzz seeds: small pictures of each layout the reader meets (colour with
# 4:2:0 and 4:4:4 sampling, grey, progressive, restart markers, arithmetic coding), one whose data
# ends long before the rows its header claims, and one stored picture value.
# usage: fuzz/make-jpeg-seeds.sh   (needs ImageMagick's convert, and cjpeg and djpeg from
# libjpeg-turbo-progs)
set -eu
out=$(cd "$(dirname "$0")" && pwd)/seeds/jpeg_fuzzer
mkdir -p "$out"
convert -size 16x16 gradient:red-blue -quality 80 -sampling-factor 2x2 "$out/colour420.jpg"
convert -size 17x9 gradient:yellow-green -quality 90 -sampling-factor 1x1 \
  -define jpeg:restart-interval=1 "$out/colour444-restart.jpg"
convert -size 24x8 gradient:white-black -colorspace Gray -quality 75 "$out/grey.jpg"
convert -size 16x16 plasma:fractal -seed 7 -interlace JPEG -quality 70 "$out/progressive.jpg"
djpeg "$out/colour420.jpg" | cjpeg -arithmetic > "$out/arithmetic.jpg"
djpeg "$out/progressive.jpg" | cjpeg -arithmetic -progressive > "$out/arithmetic-progressive.jpg"
# The arithmetic picture's frame header (FF C9, length, precision, height) made to claim 4096 rows.
at=$(LC_ALL=C grep -obUaP '\xff\xc9' "$out/arithmetic.jpg" | head -n1 | cut -d: -f1)
cp "$out/arithmetic.jpg" "$out/arithmetic-claims-more-rows.jpg"
printf '\020\000' | dd of="$out/arithmetic-claims-more-rows.jpg" bs=1 seek=$((at + 5)) conv=notrunc \
  status=none
# The stored picture value: length byte, class name, 32-bit little-endian count, the JFIF bytes.
src="$out/colour420.jpg"
n=$(wc -c < "$src")
{
  printf '\012TJPEGImage'
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)))"
  cat "$src"
} > "$out/stored.value"
ls -l "$out"
