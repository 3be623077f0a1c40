#!/usr/bin/env bash
# The set-up's package decisions, with stand-in apt-get, dpkg and dpkg-query
# on the PATH instead of Debian's: when it tries the index download again,
# when it installs from the base release, and what it says when it gives up.
set -uo pipefail
setup=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/lum-setup-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
export PATH="$work/bin:$PATH" LUM_APT_RETRY_PAUSE=0 STANDIN_LOG="$work/calls"
failures=0

standin() {
  { echo '#!/bin/sh'; cat; } >"$work/bin/$1"
  chmod +x "$work/bin/$1"
}
standin sudo <<<'exec "$@"'
# Installed: every package but those in STANDIN_MISSING.
standin dpkg-query <<'EOF2'
for package; do :; done
case " $STANDIN_MISSING " in *" $package "*) exit 1 ;; esac
echo "install ok installed"
EOF2
standin dpkg <<'EOF2'
[ "$1" = --print-foreign-architectures ] && { echo "$STANDIN_ARCHES"; exit 0; }
echo "add-arch" >>"$STANDIN_LOG"
EOF2
# update fails STANDIN_UPDATE_FAILS times on STANDIN_INDEX; install is ok,
# or resolves only from the base release (base), or never (never).
standin apt-get <<'EOF2'
if [ "$1" = update ]; then
  echo update >>"$STANDIN_LOG"
  [ "$(grep -c '^update' "$STANDIN_LOG")" -gt "$STANDIN_UPDATE_FAILS" ] && exit 0
  echo "E: Failed to fetch $STANDIN_INDEX  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
  exit 100
fi
shift 4
release=
[ "$1" = -t ] && { release=@$2; shift 2; }
echo "install$release $*" >>"$STANDIN_LOG"
[ "$STANDIN_INSTALL" = ok ] || { [ "$STANDIN_INSTALL" = base ] && [ "$release" = @bookworm ]; } && exit 0
echo "E: Unable to correct problems, you have held broken packages." >&2
exit 100
EOF2

security=http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
main=http://mirror.invalid/debian/dists/bookworm/main/binary-i386/Packages.xz
# expect NAME MISSING ARCHES UPDATE-FAILS INDEX INSTALL STATUS CALLS [TEXT THE OUTPUT MUST HOLD]
expect() {
  local name=$1 want_status=$7 want_calls=$8 want_text=${9:-} status calls
  : >"$STANDIN_LOG"
  STANDIN_MISSING=$2 STANDIN_ARCHES=$3 STANDIN_UPDATE_FAILS=$4 STANDIN_INDEX=$5 STANDIN_INSTALL=$6 \
    bash -c '. "$1"; install_missing' check "$setup" >"$work/out" 2>&1
  status=$?
  calls=$(paste -sd, "$STANDIN_LOG")
  if [ "$status" != "$want_status" ] || [ "$calls" != "$want_calls" ] ||
     { [ -n "$want_text" ] && ! grep -qF -- "$want_text" "$work/out"; }; then
    echo "FAIL $name: status $status, calls \"$calls\"; wanted $want_status, \"$want_calls\"" \
         "${want_text:+and \"$want_text\"}"
    sed 's/^/    /' "$work/out"
    failures=$((failures + 1))
  else
    echo "ok   $name: status $status, calls $calls"
  fi
}

thrice="update,update,update"
expect nothing_missing "" i386 0 "" never 0 ""
expect fresh_machine "wine32:i386 xdotool" "" 0 "" ok 0 "add-arch,update,install wine32:i386 xdotool"
expect update_retried wine i386 2 "$security" ok 0 "$thrice,install wine" \
       "apt-get update failed (attempt 2 of 3: E: Failed to fetch $security"
expect index_stale_install_ok wine i386 3 "$security" ok 0 "$thrice,install wine"
expect index_stale_base_release wine32:i386 i386 3 "$security" base 0 \
       "$thrice,install wine32:i386,install@bookworm wine32:i386"
expect index_stale_gives_up wine32:i386 i386 3 "$security" never 1 \
       "$thrice,install wine32:i386,install@bookworm wine32:i386" \
       "index $security failed to download (the mirror may be in mid-sync); run the command again later"
expect base_index_stale wine i386 3 "$main" never 1 "$thrice,install wine" "index $main failed"
expect install_refused wine i386 0 "" never 1 "update,install wine" "setup: could not install wine"
[ "$(grep -c 'again later' "$work/out")" = 0 ] || { echo "FAIL install_refused blames an index"; failures=$((failures + 1)); }
exit $((failures > 0))
