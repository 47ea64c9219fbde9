#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a
# packager expect: the programs, the desktop entry, the AppStream metadata,
# the icon in every size, the manual pages. The validators run when they are
# installed (the test build's package list has them).
set -euo pipefail
build=$1
id=org.corvane.Vantrel
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
for file in bin/vantrel-cli share/man/man1/vantrel-cli.1; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/vantrel-cli" ] || fail "vantrel-cli is not executable"
"$prefix/bin/vantrel-cli" --version >/dev/null || fail "the installed vantrel-cli does not run"

# Every option the program knows is in its manual page.
manual=$(sed 's/\\-/-/g' "$share/man/man1/vantrel-cli.1")
for option in $("$prefix/bin/vantrel-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$option" <<<"$manual" || fail "vantrel-cli.1 does not describe $option"
done

if [ ! -e "$build/app/vantrel" ]; then
  echo "The window was not built: its files are not checked"
  exit 0
fi
for file in bin/vantrel share/man/man1/vantrel.1 share/applications/$id.desktop \
  share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
# Each PNG is as large as the folder it lies in says (width and height from
# its IHDR chunk).
for size in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -s "$png" ] || fail "the ${size}x${size} icon is not installed"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done
grep -q '^Exec=vantrel ' "$share/applications/$id.desktop" || fail "the desktop entry starts no vantrel"
grep -q "^Icon=$id\$" "$share/applications/$id.desktop" || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metadata launches another desktop entry"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate is not installed: the desktop entry is not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
else
  echo "appstreamcli is not installed: the metadata is not validated"
fi
echo "Installed and checked under $prefix"
