#!/usr/bin/env bash
# Makes the Windows edition's two icons from the pictures the Linux edition
# draws (src/platform/qt/icons/*.xpm): one .ico each, holding the 16 and the
# 32 pixel picture. The .ico files are committed beside the resource script;
# run this again after changing a picture.
#
#   scripts/make-windows-icons.sh
#
# Needs ImageMagick's convert (Debian package imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v convert >/dev/null; then
  echo "make-windows-icons: ImageMagick's convert is missing (apt-get install imagemagick)" >&2
  exit 1
fi

pictures=src/platform/qt/icons
out=src/platform/win32/resources
for name in bulb_idle bulb_lit; do
  # 32 bits a pixel with its alpha: the transparent corners stay transparent
  # on every background the taskbar or a title bar has.
  convert "$pictures/${name}_16.xpm" "$pictures/${name}_32.xpm" \
    "ICO:$out/$name.ico"
  echo "make-windows-icons: $out/$name.ico"
done
