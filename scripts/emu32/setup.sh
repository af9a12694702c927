#!/usr/bin/env bash
# Makes the emulated 32-bit Wine route for machines that run no 32-bit code: the system's 64-bit Wine
# runs natively, and Wine's 32-bit processes run under qemu-i386 user-mode emulation. Everything comes
# from Debian packages fetched with a private apt configuration and unpacked into one folder (never
# installed with dpkg): wine32 and libwine for i386 of exactly the installed wine64's version with the
# i386 libraries they need, and a static qemu-i386 from bookworm-backports.
#
#   scripts/emu32/setup.sh <folder>      prints "ready", or "failed: <why>" and exits 1
#
# Idempotent: the folder carries a stamp of what it was made from (wine64's version, this recipe's
# version) and is made anew only when that changes or an earlier attempt was cut short.
#
# The folder afterwards:
#   root/                       the i386 root the emulator runs in (-L); also holds the loaders:
#   root/usr/lib/wine/wine64    a private copy of the system's 64-bit loader: Wine starts a 32-bit
#                               process with the "wine" beside the running loader, so every program of
#                               the route's prefix is started through this copy
#   root/usr/lib/wine/wine      the 32-bit loader: a script that runs wine.bin (Debian's i386 loader)
#                               under qemu-i386 with the trap-number shim preloaded
#   bin/qemu-i386, bin/trapno-shim.so
set -uo pipefail
export LC_ALL=C

RECIPE=2 # raise when the way the folder is made changes, so that old folders are made anew
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=${1:?usage: setup.sh <folder>}
mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)
STAMP="$DIR/.ready"

fail() {
  echo "failed: $*"
  exit 1
}

WINE_VERSION=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || fail "wine64 is not installed"
WANT="recipe=$RECIPE wine64=$WINE_VERSION"
if [ -f "$STAMP" ] && [ "$(head -1 "$STAMP")" = "$WANT" ] && [ -x "$DIR/root/usr/lib/wine/wine" ]; then
  echo ready
  exit 0
fi
rm -rf "$DIR/root" "$DIR/bin" "$DIR/debs" "$STAMP"

# A private apt: its own lists, cache and an empty status, amd64 and i386, the machine's Debian release
# plus backports (for a qemu-user whose emulated processes start in a fraction of a second; bookworm's
# own takes over a minute per Wine process).
APT="$DIR/apt"
mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial" "$APT/etc/sources.list.d" "$APT/etc/preferences.d"
: >"$APT/status"
CODENAME=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
MIRROR=${ZARN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cat >"$APT/etc/sources.list" <<EOF
deb $MIRROR $CODENAME main
deb $MIRROR $CODENAME-updates main
deb ${MIRROR%/debian}/debian-security $CODENAME-security main
deb $MIRROR $CODENAME-backports main
EOF
cat >"$APT/apt.conf" <<EOF
Dir::State "$APT";
Dir::State::lists "$APT/lists";
Dir::State::status "$APT/status";
Dir::Cache "$APT/cache";
Dir::Etc::SourceList "$APT/etc/sources.list";
Dir::Etc::SourceParts "$APT/etc/sources.list.d";
Dir::Etc::Preferences "$APT/etc/preferences";
Dir::Etc::PreferencesParts "$APT/etc/preferences.d";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Install-Recommends "false";
Acquire::Languages "none";
Acquire::Retries "3";
Debug::NoLocking "true";
EOF
export APT_CONFIG="$APT/apt.conf"
apt-get update -qq >"$DIR/apt-update.log" 2>&1 ||
  echo "emu32: apt-get update reported errors; going on with the indexes at hand" >&2

# The libraries Wine opens at run time (dlopen), which its package does not depend on.
LIBS=(libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxxf86vm1 libxfixes3
  libgnutls30 libfontconfig1 libfreetype6 libkrb5-3 libgssapi-krb5-2 libpulse0)
PACKAGES=("wine32:i386=$WINE_VERSION" "libwine:i386=$WINE_VERSION" "qemu-user/$CODENAME-backports")
for l in "${LIBS[@]}"; do PACKAGES+=("$l:i386"); done
if ! apt-get install --download-only -y -qq "${PACKAGES[@]}" >"$DIR/apt-download.log" 2>&1; then
  fail "the packages could not be fetched ($(grep -E '^E:' "$DIR/apt-download.log" | head -1))"
fi

ROOT="$DIR/root"
mkdir -p "$ROOT" "$DIR/bin" "$DIR/debs/qemu"
for deb in "$APT"/cache/archives/*.deb; do
  pkg=$(dpkg-deb -f "$deb" Package)
  arch=$(dpkg-deb -f "$deb" Architecture)
  if [ "$pkg" = qemu-user ]; then
    dpkg-deb -x "$deb" "$DIR/debs/qemu" || fail "$pkg could not be unpacked"
  elif [ "$arch" = i386 ] || [ "$arch" = all ] || [ "$pkg" = fontconfig-config ]; then
    dpkg-deb -x "$deb" "$ROOT" || fail "$pkg could not be unpacked"
  fi
done
mv "$DIR/debs/qemu/usr/bin/qemu-i386" "$DIR/bin/qemu-i386" || fail "qemu-user has no qemu-i386"
rm -rf "$DIR/debs" "$APT/cache/archives"/*.deb
[ -x "$ROOT/usr/lib/wine/wine" ] || fail "wine32 has no loader"

# What the packages' maintainer scripts would have done: the dynamic linker's cache of the root (so that
# the i386 programs never read the host's), and zlib1.dll among Wine's i386 DLLs, marked as built-in.
printf 'include /etc/ld.so.conf.d/*.conf\n' >"$ROOT/etc/ld.so.conf"
ldconfig -r "$ROOT" || fail "ldconfig could not index the root"
ZLIB="$ROOT/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
cp "$ROOT/usr/i686-w64-mingw32/lib/zlib1.dll" "$ZLIB" || fail "libz-mingw-w64 has no i686 zlib1.dll"
printf 'Wine builtin DLL' | dd of="$ZLIB" bs=1 seek=64 conv=notrunc status=none

# The emulated programs look for a path in the root first and on the host only when the root lacks it,
# so the root's own font folder (the few fonts its packages bring) would hide the host's, the CJK fonts
# among them: the root uses the host's.
rm -rf "$ROOT/usr/share/fonts"
ln -s /usr/share/fonts "$ROOT/usr/share/fonts"

# The shim that gives Wine's signal handlers the trap number the emulator leaves out.
gcc -m32 -O2 -fPIC -nostdlib -shared -o "$DIR/bin/trapno-shim.so" "$HERE/trapno-shim.c" \
  "$ROOT/lib/i386-linux-gnu/libc.so.6" >"$DIR/shim.log" 2>&1 || fail "the shim does not build: $(head -1 "$DIR/shim.log")"

# The loaders. The 64-bit one finds its libraries and data beside itself (../x86_64-linux-gnu/wine,
# ../../share/wine) and the server beside itself; no i386 server may ever run.
BIN="$ROOT/usr/lib/wine"
mv "$BIN/wine" "$BIN/wine.bin"
rm -f "$BIN/wineserver" "$BIN/wineserver32" "$BIN/wine64"
cp /usr/lib/wine/wine64 "$BIN/wine64" || fail "no /usr/lib/wine/wine64"
ln -s /usr/lib/wine/wineserver64 "$BIN/wineserver"
mkdir -p "$ROOT/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$ROOT/usr/lib/x86_64-linux-gnu/wine"
cat >"$BIN/wine" <<EOF
#!/bin/sh
# Wine's 32-bit loader under user-mode emulation. WINELOADERNOEXEC keeps the loader from re-executing
# itself, which the emulator cannot follow.
WINELOADERNOEXEC=1 exec "$DIR/bin/qemu-i386" -L "$ROOT" -E LD_PRELOAD="$DIR/bin/trapno-shim.so" \\
  -0 "$BIN/wine" "$BIN/wine.bin" "\$@"
EOF
chmod +x "$BIN/wine"

QEMU_VERSION=$("$DIR/bin/qemu-i386" --version | head -1)
printf '%s\n%s\n' "$WANT" "$QEMU_VERSION" >"$STAMP"
echo ready
