#!/usr/bin/env bash
# Installs, idempotently, what the build and the tests need on Debian 12.
# Run as a command; sourced, it only defines its steps (the check of its
# package decisions calls them with stand-in package tools).
set -euo pipefail

need_pkgs=(g++ g++-mingw-w64-i686 cmake make python3 python3-pefile googletest wine wine32:i386
           wine64 xvfb xauth x11-utils x11-apps netpbm fonts-ipafont-gothic fonts-wine locales xdotool
           gcc-12-source)
# Seconds between two tries of the index download.
apt_pause=${LUM_APT_RETRY_PAUSE:-30}
apt_updated=0
# The indexes whose download failed in the last try, by their address.
failed_indexes=()

as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    sudo "$@"
  else
    "$@"
  fi
}

# A mirror in mid-sync now and then serves one index with the wrong size:
# three tries, then on with the indexes that did arrive (apt keeps the old
# copy of the one that failed, or none).
update_indexes() {
  local attempt log
  log=$(mktemp)
  for attempt in 1 2 3; do
    if as_root apt-get update -qq >"$log" 2>&1; then
      failed_indexes=()
      rm -f "$log"
      return 0
    fi
    mapfile -t failed_indexes < <(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log")
    if [ "$attempt" -lt 3 ]; then
      echo "setup: apt-get update failed (attempt $attempt of 3: $(grep -m1 '^[EW]: ' "$log"));" \
           "again in $apt_pause s" >&2
      sleep "$apt_pause"
    fi
  done
  cat "$log" >&2
  rm -f "$log"
  echo "setup: apt-get update failed 3 times; going on with the indexes that arrived" >&2
}

# The release that a failed index of an update suite (bookworm-security,
# say) belongs to; nothing when only base suites failed.
base_suite() {
  local url suite
  for url in "${failed_indexes[@]}"; do
    [[ $url == */dists/* ]] || continue
    suite=${url#*/dists/}
    suite=${suite%%/*}
    if [ "$suite" != "${suite%%-*}" ]; then
      echo "${suite%%-*}"
      return
    fi
  done
}

apt_install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

# With an index of an update suite missing, that suite's packages of one
# architecture can be newer than those the other knows of, and a pair that
# must match (wine32:i386 and wine64) cannot be resolved: the base release
# alone then has matching versions of both.
install_packages() {
  local log base
  if [ "$apt_updated" = 0 ]; then
    update_indexes
    apt_updated=1
  fi
  log=$(mktemp)
  if apt_install "$@" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  base=$(base_suite)
  if [ -n "$base" ]; then
    echo "setup: installing from $base alone: an index of its updates failed" >&2
    if apt_install -t "$base" "$@" >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
  fi
  cat "$log" >&2
  rm -f "$log"
  if [ ${#failed_indexes[@]} -gt 0 ]; then
    echo "setup: could not install $*: the package index ${failed_indexes[*]} failed to" \
         "download (the mirror may be in mid-sync); run the command again later" >&2
  else
    echo "setup: could not install $*" >&2
  fi
  exit 1
}

install_missing() {
  local p missing=()
  for p in "${need_pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  install_packages "${missing[@]}"
}

# Wine picks its ANSI code page from the locale: ja_JP.UTF-8 gives code page
# 932 (the tool's home), en_US.UTF-8 gives 1252 (the English-language runs).
make_locales() {
  local lum_locale
  for lum_locale in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qix "$lum_locale.utf8" && continue
    if [ -f /etc/locale.gen ]; then
      as_root sed -i "s/^# *$lum_locale.UTF-8 UTF-8/$lum_locale.UTF-8 UTF-8/" /etc/locale.gen
      grep -q "^$lum_locale.UTF-8 UTF-8" /etc/locale.gen ||
        echo "$lum_locale.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
      as_root locale-gen >/dev/null
    else
      as_root localedef -i "$lum_locale" -f UTF-8 "$lum_locale.UTF-8"
    fi
  done
}

# Some virtual machines (this project's among them) boot with the kernel's
# 32-bit compatibility mode switched off: no i386 ELF binary, Wine's loader
# included, can start. There, run i386 binaries through qemu's user-mode
# emulator registered with binfmt_misc. The guest address space is kept below
# 2 GiB (QEMU_RESERVED_VA, set by testbed.sh) or Wine's start-up crawls.
# Where i386 code runs natively no emulator is registered: a registration
# takes precedence over the kernel's own loader, so one left by an earlier
# run is taken away. LUM_FORCE_EMULATOR=1 registers it all the same, so that
# both paths can be tried on one machine.
# Debian's qemu-user-static registers no i386 format on an x86 host, so the
# format is this project's own (scripts/binfmt/qemu-i386), handed to
# binfmt-support.
emulator_entry=/proc/sys/fs/binfmt_misc/qemu-i386
emulator_formats=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/binfmt

remove_emulator() {
  if command -v update-binfmts >/dev/null &&
     update-binfmts --display qemu-i386 >/dev/null 2>&1; then
    as_root update-binfmts --package lumcfg --remove qemu-i386 /usr/bin/qemu-i386-static
  fi
  [ ! -e "$emulator_entry" ] || echo -1 | as_root tee "$emulator_entry" >/dev/null
}

run_i386() {
  if [ "${LUM_FORCE_EMULATOR:-0}" != 1 ]; then
    remove_emulator
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
  fi
  if [ ! -x /usr/bin/qemu-i386-static ] || ! command -v update-binfmts >/dev/null; then
    install_packages qemu-user-static binfmt-support
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [ ! -e "$emulator_entry" ]; then
    as_root update-binfmts --importdir "$emulator_formats" --import qemu-i386
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run i386 binaries on this machine" >&2; exit 1; }
}

# Nothing else runs before this has succeeded: the scripts that source the
# test bed stop here, before any Wine prefix is made.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  install_missing
  make_locales
  run_i386
fi
