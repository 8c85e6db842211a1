#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The tray programs never link the network library (the update helper does their network
# work), and an installed tree has the helper where the tray looks for it, answering there.
#   helper_layout.sh BUILD_DIR HELPER_FROM_BINDIR SELF_UPDATE(0|1) TRAY_BINARY...
set -eu
build=$1 from_bindir=$2 self_update=$3
shift 3
fail() { echo "FAIL: $*" >&2; exit 1; }
for tray in "$@"; do
  readelf -d "$tray" | grep -q 'NEEDED.*libQt6Network' && fail "$tray links QtNetwork"
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage" >/dev/null
helper=$stage/bin/$from_bindir
readelf -d "$stage/bin/corvane" | grep -q 'NEEDED.*libQt6Network' && fail "the installed corvane links QtNetwork"
if [ "$self_update" = 0 ]; then
  [ ! -e "$helper" ] || fail "a build without self-update installs $helper"
  exit 0
fi
[ -x "$helper" ] || fail "no update helper at $helper, where the installed corvane looks"
# An address the helper refuses to contact: an answer without going on the network.
answer=$(printf '{"primary":"http://example.invalid/a","fallback":"http://example.invalid/a"}' | "$helper" 2>/dev/null)
case $answer in
  *'"failure":"insecureFeed"'*) echo "installed helper answers: $answer" ;;
  *) fail "the installed helper answered: $answer" ;;
esac
