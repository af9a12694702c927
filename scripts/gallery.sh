#!/usr/bin/env bash
# Shows every skinned window (message boxes of each type, buttons in each state, a wrapped static
# text, progress bars at 0/50/100, a dialog with skin 134 and all title-bar buttons, the hot-key
# settings dialog, the favourites dialog, the client download dialog mid-download) under Wine on a
# private Xvfb display, and saves one picture per window plus a screenshot of the whole screen.
#
#   scripts/gallery.sh [output folder]     (default: build/gallery; needs scripts/test.sh run once)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD=${ZARN_BUILD:-$ROOT/build}
OUT=$(realpath -m "${1:-$ZARN_BUILD/gallery}")
mkdir -p "$OUT"
# shellcheck source=wine-env.sh
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine-env.sh"
ARCH=$(zarn_runnable_arch)
zarn_wine_use "$ARCH"
cmake --build "$ZARN_BUILD/$ARCH" --target zarn_wintests >/dev/null
zarn_xvfb_start
trap 'zarn_xvfb_stop' EXIT
zarn_prefix_ready

# The client download dialog (mid-download) and the login of a game window (the test build's
# backdrop, login page and QQ sign-in window) need the local portal on the port the build was
# configured with (its connectivity probe, too).
zarn_build_ports "$ARCH"
STATE=$(zarn_state_dir "$ARCH")
zarn_portal_start portal "$STATE" >/dev/null
zarn_portal_start probe "$STATE" >/dev/null
trap 'zarn_portal_stop portal; zarn_portal_stop probe; zarn_xvfb_stop' EXIT

export ZARN_GALLERY_DIR="Z:${OUT//\//\\}"
export ZARN_GALLERY_HOLD=8
(cd "$ZARN_BUILD/$ARCH" && wine zarn_wintests.exe --gtest_filter='SkinGallery.*' </dev/null >"$OUT/gallery.log" 2>&1) &
RUN=$!
sleep 10
import -window root "$OUT/screen.png"
wait "$RUN" || { cat "$OUT/gallery.log"; exit 1; }
(cd "$ZARN_BUILD/$ARCH" && wine zarn_wintests.exe --gtest_filter='DialogGallery.*' </dev/null >"$OUT/dialogs.log" 2>&1) ||
  { cat "$OUT/dialogs.log"; exit 1; }
for f in "$OUT"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done

(cd "$ZARN_BUILD/$ARCH" && ZARN_GALLERY_HOLD=20 wine zarn_wintests.exe --gtest_filter='LoginGallery.*' </dev/null >"$OUT/login.log" 2>&1) &
RUN=$!
# Two pictures: the backdrop alone (the page stays hidden until it has loaded), then the QQ
# sign-in window over the login page.
sleep 16
import -window root "$OUT/login-backdrop.png"
sleep 20
import -window root "$OUT/login-qq.png"
wait "$RUN" || { cat "$OUT/login.log"; exit 1; }
ls "$OUT"
