#!/usr/bin/env bash
# The Debian package: built by CPack from this build folder, unpacked with dpkg -x into a root of its
# own; checks its dependencies, its files, lintian's verdict, the desktop files' validity, the manual
# pages, the window's class, and that the unpacked program reads its data from the unpacked tree and
# writes only under the user's folders.
#   test_package.sh BUILD_DIR VERSION DESKTOP_ID
set -u
build=$1 version=$2 id=$3
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$PWD

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$work/out/vitrinex_${version}-1_amd64.deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $deb"; exit 1; }

# Dependencies computed from the libraries the programs link, plus the fonts the skin and the print use.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libc6 libqt6widgets6 libqt6multimedia6 libjpeg62-turbo fonts-liberation fonts-urw-base35; do
  grep -q "\b$d\b" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# Everything lives under /usr/bin, /usr/share and the thumbnailer's /usr/libexec/vitrinex; nothing is missing.
dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//; s|^\./|/|' | grep -v '/$' | sort >"$work/files"
grep -v -E '^/usr/(bin|share|libexec/vitrinex)/' "$work/files" | while read -r f; do fail "stray file $f"; done
for f in /usr/bin/vitrinex /usr/bin/vitrinex-cli /usr/libexec/vitrinex/vitrinex-thumbnailer \
         /usr/share/thumbnailers/vitrinex.thumbnailer \
         /usr/share/vitrinex/{v10bp,v10op,v10cs,v10ad,v10dt,v10up}.qys /usr/share/vitrinex/qy.qyi \
         /usr/share/vitrinex/Help.hlp "/usr/share/vitrinex/samples/Vintage Heroes.fcd" \
         /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml /usr/share/mime/packages/$id.xml \
         /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
         /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/man/man1/vitrinex{,-cli}.1.gz \
         /usr/share/doc/vitrinex/{copyright,changelog.Debian.gz}; do
  grep -qxF "$f" "$work/files" || fail "missing $f"
done

# Debian's checks: no error, no warning.
if command -v lintian >/dev/null; then
  out=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $out"
else
  fail "lintian is not installed (scripts/setup.sh --test installs it)"
fi

root=$work/root
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x"; exit 1; }
find "$root" | sort >"$work/tree-before"

for side in 16 24 32 48 64 128 256; do
  size=$(file -b "$root/usr/share/icons/hicolor/${side}x${side}/apps/$id.png")
  grep -q "PNG image data, $side x $side, 8-bit/color RGBA" <<<"$size" || fail "icon $side: $size"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
fi
if command -v update-mime-database >/dev/null; then
  cp -r "$root/usr/share/mime" "$work/mime"
  out=$(XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>&1)
  [ -z "$out" ] || fail "update-mime-database: $out"
  # Collections only: "*.bak" is every editor's backup too.
  globs=$(grep -v '^#' "$work/mime/globs2")
  [ "$globs" = "50:application/x-vitrinex-collection:*.fcd" ] || fail "file names claimed: $globs"
fi
zcat "$root/usr/share/doc/vitrinex/changelog.Debian.gz" | head -n 1 | grep -qF "vitrinex ($version-1)" ||
  fail "the changelog's last entry is not $version-1"

# The unpacked program finds its data beside it in the tree and its user folders under HOME; a
# runtime folder of its own keeps it from meeting a copy that runs elsewhere on the machine.
export HOME=$work/home XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# Each manual page comes from the same manual as the program's help: every usage line of --help is in
# its synopsis, it has the sections a user looks for, and man finds nothing to warn about.
for program in vitrinex vitrinex-cli; do
  manpage=$root/usr/share/man/man1/$program.1.gz
  page=$(MANWIDTH=400 man -l "$manpage" 2>/dev/null)
  while read -r usage; do
    grep -qF -- "$usage" <<<"$page" || fail "the manual page of $program lacks '$usage'"
  done < <("$root/usr/bin/$program" --help | sed -n -e "s/^  \($program .*\)/\1/p" -e 's/^Usage: //p')
  for section in SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
    grep -qx "$section" <<<"$page" || fail "the manual page of $program has no $section"
  done
  warnings=$(man --warnings -l "$manpage" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man --warnings on $program.1: $warnings"
done
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
report=$(cd "$HOME" && "$root/usr/bin/vitrinex" --check-install) || fail "--check-install: $report"
for line in "layout: installed" "reads: $root/usr/share/vitrinex" "help file: $root/usr/share/vitrinex/Help.hlp" \
            "settings file: $HOME/.config/vitrinex/Vitrinex.ini" \
            "update file: $HOME/.local/share/vitrinex/update.dat" "all files found"; do
  grep -qxF "$line" <<<"$report" || fail "--check-install lacks '$line': $report"
done
"$root/usr/bin/vitrinex-cli" show "$root/usr/share/vitrinex/samples/Vintage Heroes.fcd" >/dev/null ||
  fail "vitrinex-cli cannot read the installed sample"

# A short run: the settings file appears under the user's config folder, nothing in the tree.
(cd "$HOME" && QT_QPA_PLATFORM=offscreen timeout 4 "$root/usr/bin/vitrinex" >"$work/run.log" 2>&1)
[ $? -eq 124 ] || fail "the installed program ended by itself: $(cat "$work/run.log")"
[ "$(cat "$HOME/.config/vitrinex/Vitrinex.ini" 2>/dev/null)" = $'1\r' ] || fail "no settings file under ~/.config"
find "$root" | sort | diff "$work/tree-before" - || fail "the program wrote into its installed tree"

# Docks match a window to its desktop entry by the window's class (WM_CLASS: instance, class).
wm_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
if command -v xvfb-run >/dev/null && command -v xprop >/dev/null; then
  classes=$(cd "$HOME" && timeout 120 xvfb-run -a bash -c '
    "$1" >/dev/null 2>&1 &
    for _ in $(seq 400); do
      for w in $(xwininfo -root -children | awk "/^ +0x/ {print \$1}"); do xprop -id "$w" WM_CLASS; done |
        grep -m 1 "= \"vitrinex\"" && break
      sleep 0.2
    done
    kill $!' _ "$root/usr/bin/vitrinex")
  grep -qF ", \"$wm_class\"" <<<"$classes" || fail "StartupWMClass=$wm_class; the window's class: $classes"
else
  fail "xvfb-run or xprop is not installed (scripts/setup.sh --test installs them)"
fi

[ $failures -eq 0 ] && echo "package checks passed: $(wc -l <"$work/files") files"
exit $((failures > 0))
