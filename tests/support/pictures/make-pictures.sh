#!/usr/bin/env bash
# Makes the committed test pictures (run once; needs ImageMagick and the webp tools).
# Every still picture is 16 × 8: red on the left half, blue on the right.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
base() { $IM -size 8x8 xc:red -size 8x8 xc:blue +append "$@"; }
base -quality 95 photo.jpg
base -quality 95 -interlace JPEG progressive.jpg
base -colorspace Gray -quality 95 grey.jpg
base -colorspace CMYK -quality 95 cmyk.jpg
base -alpha set -channel A -fx 0.5 +channel -interlace PNG interlaced.png
$IM -delay 0 -size 16x8 xc:red -delay 20 -size 16x8 xc:none -dispose Background -delay 1 -size 16x8 xc:blue \
    -loop 0 animated.gif
base still.gif
base -quality 90 rgb.png && cwebp -quiet -q 90 rgb.png -o picture.webp && rm rgb.png
base -alpha set -channel A -fx 0.5 +channel alpha.png && cwebp -quiet -lossless alpha.png -o alpha.webp && rm alpha.png
# EXIF orientation 6 (turned a quarter clockwise) in both byte orders, as an APP1 after SOI.
python3 - <<'PY'
import struct
jpeg = open('photo.jpg', 'rb').read()
for order, name in ((b'MM', 'exif6-mm.jpg'), (b'II', 'exif6-ii.jpg')):
    e = '>' if order == b'MM' else '<'
    tiff = order + struct.pack(e + 'HI', 42, 8) + struct.pack(e + 'H', 1) \
        + struct.pack(e + 'HHIHH', 0x0112, 3, 1, 6, 0) + struct.pack(e + 'I', 0)
    body = b'Exif\0\0' + tiff
    app1 = b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body
    open(name, 'wb').write(jpeg[:2] + app1 + jpeg[2:])
PY
