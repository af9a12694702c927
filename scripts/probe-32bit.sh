#!/usr/bin/env bash
# Tells whether this machine runs 32-bit x86 Linux code, by starting a tiny static 32-bit program
# (some kernels have IA-32 emulation switched off, and then 32-bit Wine cannot start either).
# Prints "yes", or "no: <why>"; exits 0 for yes, 1 for no.
set -uo pipefail
export LC_ALL=C # the reason is read by people and scripts alike

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/probe.s" <<'ASM'
.globl _start
_start:
    movl $1, %eax
    movl $42, %ebx
    int $0x80
ASM
if ! as --32 -o "$dir/probe.o" "$dir/probe.s" 2>"$dir/err" || ! ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>>"$dir/err"; then
  echo "no: the 32-bit probe could not be built ($(head -1 "$dir/err"))"
  exit 1
fi
"$dir/probe" 2>"$dir/err"
rc=$?
if [ "$rc" = 42 ]; then
  echo yes
  exit 0
fi
why=$(sed -E 's/^.*: //' "$dir/err" | head -1)
echo "no: a 32-bit program does not start (${why:-exit code $rc})"
exit 1
