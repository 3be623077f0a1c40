#!/usr/bin/env bash
# Installs, idempotently, what the build and the tests need on Debian 12.
set -euo pipefail

need_pkgs=(g++ g++-mingw-w64-i686 cmake make python3 googletest wine wine32:i386 wine64 xvfb xauth
           x11-utils x11-apps fonts-ipafont-gothic fonts-wine locales xdotool)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine picks its ANSI code page from the locale: ja_JP.UTF-8 gives code page
# 932 (the tool's home), en_US.UTF-8 gives 1252 (the English-language runs).
for lum_locale in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$lum_locale.utf8"; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    if [ -f /etc/locale.gen ]; then
      $SUDO sed -i "s/^# *$lum_locale.UTF-8 UTF-8/$lum_locale.UTF-8 UTF-8/" /etc/locale.gen
      grep -q "^$lum_locale.UTF-8 UTF-8" /etc/locale.gen ||
        echo "$lum_locale.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
      $SUDO locale-gen >/dev/null
    else
      $SUDO localedef -i "$lum_locale" -f UTF-8 "$lum_locale.UTF-8"
    fi
  fi
done

# Some virtual machines (this project's among them) boot with the kernel's
# 32-bit compatibility mode switched off: no i386 ELF binary, Wine's loader
# included, can start. There, run i386 binaries through qemu's user-mode
# emulator registered with binfmt_misc. The guest address space is kept below
# 2 GiB (QEMU_RESERVED_VA, set by testbed.sh) or Wine's start-up crawls.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  if [ ! -x /usr/bin/qemu-i386-static ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FP' \
      | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run i386 binaries on this machine" >&2; exit 1; }
fi
