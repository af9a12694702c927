#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine.
# Safe to run again: it only installs what is missing. 64-bit Wine always; 32-bit Wine only where this
# machine runs 32-bit code (scripts/probe-32bit.sh), and elsewhere the emulated 32-bit route, unpacked
# into the build folder (scripts/emu32/setup.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The probe itself needs the assembler and linker.
command -v as >/dev/null && command -v ld >/dev/null || need+=(binutils)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends binutils >/dev/null
  need=()
fi

pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      cmake ninja-build googletest libgtest-dev wine64 xvfb xdotool imagemagick fonts-wqy-microhei locales
      python3 clang gcc x11-utils python3-pil
      nodejs node-acorn # the portal pages' scripts, checked as Internet Explorer 8 would run them
      pulseaudio) # a null-sink sound server for the sound tests
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done

updated=0
apt_update() {
  [ "$updated" = 1 ] && return 0
  updated=1
  # A mirror in the middle of a sync fails an index now and then; the install then uses what it has.
  apt-get update -qq || echo "setup: apt-get update reported errors; installing from the indexes at hand"
}
export DEBIAN_FRONTEND=noninteractive
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  apt_update
  apt-get install -y -qq --no-install-recommends $(printf '%s\n' "${need[@]}" | sort -u) >/dev/null
fi

# The i686 build's programs run with 32-bit Wine where this machine runs 32-bit code, and on the
# emulated route (scripts/emu32/setup.sh: Wine's 32-bit processes under qemu-i386) where it does not or
# where 32-bit Wine cannot be installed (the i386 packages out of step with the installed ones, say).
# When neither can be had, the i686 Windows-side suite is reported as skipped with the reason.
BUILD_DIR=${ZARN_BUILD:-$HERE/../build}
mkdir -p "$BUILD_DIR"
emulated_route() {
  local out
  out=$(bash "$HERE/emu32/setup.sh" "$BUILD_DIR/emu32") || true
  if [ "$out" = ready ]; then
    rm -f "$BUILD_DIR/emu32.failed"
    echo "setup: the emulated 32-bit route is ready ($BUILD_DIR/emu32)"
  else
    echo "${out#failed: }" >"$BUILD_DIR/emu32.failed"
    echo "setup: the emulated 32-bit route could not be made (${out#failed: }); the i686 Windows-side suite will be skipped"
  fi
}
route=${ZARN_I686_ROUTE:-auto}
if [ "$route" != emulated ] && probe=$(bash "$HERE/probe-32bit.sh"); then
  if ! have_pkg wine32:i386 || [ ! -x /usr/lib/wine/wine ]; then
    echo "setup: installing wine wine32:i386"
    dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; updated=0; }
    apt_update
    if ! apt-get install -y -qq --no-install-recommends wine wine32:i386 >/dev/null; then
      echo "setup: 32-bit Wine could not be installed; taking the emulated route"
      emulated_route
    fi
  fi
else
  if [ "$route" = emulated ]; then echo "setup: ZARN_I686_ROUTE=emulated"; else echo "setup: $probe"; fi
  emulated_route
fi

# Chinese text in Wine needs a zh_CN.UTF-8 locale on the Unix side.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

if [ ! -x /usr/lib/wine/wine64 ]; then
  echo "setup: no 64-bit Wine loader (/usr/lib/wine/wine64) after installing wine64" >&2
  exit 1
fi
echo "setup: dependencies ready"
