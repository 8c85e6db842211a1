#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_install.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1 build=$2
scratch=$(mktemp -d -t corvane-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$scratch/usr" >/dev/null
cd "$scratch/usr"

# Exactly these: a test program, the gallery or the icon renderer here would be a fault.
sizes="16 22 24 32 48 64 128 256"
expected=$( {
  echo bin/corvane
  # Only with self-update; update_helper_layout checks which build has it.
  [ ! -e libexec/corvane/corvane-update-check ] || echo libexec/corvane/corvane-update-check
  echo share/applications/corvane.desktop
  echo share/icons/hicolor/scalable/apps/corvane.svg
  for s in $sizes; do echo "share/icons/hicolor/${s}x${s}/apps/corvane.png"; done
  echo share/man/man1/corvane.1.gz
  echo share/metainfo/app.corvane.Corvane.metainfo.xml
  echo share/dbus-1/interfaces/app.corvane.Corvane.xml
  echo share/bash-completion/completions/corvane
  echo share/zsh/vendor-completions/_corvane
  echo share/fish/vendor_completions.d/corvane.fish
} | sort)
actual=$(find . ! -type d | sed 's|^\./||' | sort)
diff <(echo "$expected") <(echo "$actual") >&2 || fail "installed files differ from the list above"
[ -x bin/corvane ] || fail "bin/corvane is not executable"

desktop=share/applications/corvane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
key() { sed -n "s/^$1=//p" "$desktop" | head -1; }
exec_program=$(key Exec | cut -d' ' -f1)
[ -x "bin/$exec_program" ] || fail "Exec=$exec_program is not the installed program"
[ "$(key Icon)" = corvane ] || fail "Icon= does not name the installed icon"
grep -qx 'Categories=Utility;' "$desktop" || fail "Categories should be Utility"
grep -q '^NoDisplay=true' "$desktop" && fail "a hidden desktop entry cannot be launched from menus"

metainfo=share/metainfo/app.corvane.Corvane.metainfo.xml
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli validate"
grep -q '<launchable type="desktop-id">corvane.desktop</launchable>' "$metainfo" \
  || fail "the metainfo does not launch corvane.desktop"
grep -q '@[A-Z_]*@' "$metainfo" && fail "unsubstituted variable in the metainfo"

# Every raster icon has its folder's size and actually shows something.
for s in $sizes; do
  png=share/icons/hicolor/${s}x${s}/apps/corvane.png
  [ "$(identify -format '%w %h' "$png")" = "$s $s" ] || fail "$png is not ${s}x${s}"
  coverage=$(convert "$png" -alpha extract -format '%[fx:mean]' info:)
  awk -v c="$coverage" 'BEGIN { exit !(c > 0.3) }' || fail "$png is nearly empty ($coverage)"
done

page=$(zcat share/man/man1/corvane.1.gz)
grep -q '@[A-Z_]*@' <<<"$page" && fail "unsubstituted variable in the manual page"
warnings=$(groff -man -Tutf8 -ww -z <<<"$page" 2>&1)
[ -z "$warnings" ] || fail "groff: $warnings"
xmllint --noout share/dbus-1/interfaces/app.corvane.Corvane.xml || fail "the D-Bus interface file is not XML"
bash -n share/bash-completion/completions/corvane || fail "bash completion"
echo "installed tree is complete and valid"
