#!/usr/bin/env bash
# check_package.sh BUILD_FOLDER VERSION CPACK
# Builds the Debian package of the build folder into a temporary folder, unpacks it and checks
# what it holds, what it depends on, and that the unpacked program starts. Exits 77 (skipped)
# when the build has no packaging rules or a tool is missing.
set -uo pipefail
export LC_ALL=C.UTF-8
build=$1 version=$2 cpack=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIP: $*"; exit 77; }

[ -f "$build/CPackConfig.cmake" ] || skip "this build has no packaging rules (cmake/TessalinePackaging.cmake is not included)"
for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev file:file timeout:coreutils; do
  command -v "${tool%%:*}" >/dev/null || skip "${tool%%:*} is not installed (Debian package ${tool#*:})"
done

started=$(date +%s)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb="$tmp/out/tessaline_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$tmp/out"; echo "FAIL: no $deb"; exit 1; }
echo "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) in $(($(date +%s) - started)) s"

# What it holds, and nothing outside /usr.
dpkg-deb -x "$deb" "$tmp/root"
root="$tmp/root"
for path in usr/bin/tessaline usr/bin/tessaline-makedb; do
  [ -x "$root/$path" ] || { fail "no program $path"; continue; }
  file -b "$root/$path" | grep -q ', stripped' || fail "$path is not stripped: $(file -b "$root/$path")"
done
for path in usr/share/tessaline/MDI.BMP \
            usr/share/applications/com.example.tessaline.desktop \
            usr/share/metainfo/com.example.tessaline.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/tessaline.svg \
            usr/share/icons/hicolor/48x48/apps/tessaline.png \
            usr/share/icons/hicolor/256x256/apps/tessaline.png \
            usr/share/man/man1/tessaline.1.gz usr/share/man/man1/tessaline-makedb.1.gz \
            usr/share/doc/tessaline/copyright usr/share/doc/tessaline/changelog.gz; do
  [ -f "$root/$path" ] || fail "no $path"
done
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
modes=$(dpkg-deb -c "$deb" | awk '$1 !~ /^(drwxr-xr-x|-rwxr-xr-x|-rw-r--r--)$/ || $2 != "root/root"' )
[ -z "$modes" ] || fail "unusual modes or owners: $modes"
for page in "$root"/usr/share/man/man1/*.gz "$root/usr/share/doc/tessaline/changelog.gz"; do
  gzip -t "$page" 2>/dev/null || fail "$page is not gzip"
done

# The control fields: what shlibdeps found plus what the program loads at run time.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessaline ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
depends=$(field Depends)
for package in libqt6widgets6 libqt6sql6 libc6 libsqlite3-0 \
               libqt6sql6-sqlite libqt6sql6-odbc tdsodbc unixodbc \
               fonts-arphic-uming fonts-wqy-zenhei qt6-translations-l10n; do
  echo "$depends" | tr ',' '\n' | grep -qE "^ ?$package( |$)" || fail "Depends lacks $package: $depends"
done

if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net "$root" >"$tmp/validate-tree.log" 2>&1 \
    || { cat "$tmp/validate-tree.log"; fail "appstreamcli validate-tree"; }
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 \
    || { cat "$tmp/lintian.log"; fail "lintian reports errors"; }
  sed 's/^/lintian: /' "$tmp/lintian.log"
fi

# The unpacked programs: a demo database with its settings, and the program on it, which
# must still be running after 3 seconds, at the sign-in and with an operator identity.
config="$tmp/config"
if ! "$root/usr/bin/tessaline-makedb" "$tmp/demo.db" --demo --settings "$config" >"$tmp/makedb.log" 2>&1; then
  cat "$tmp/makedb.log"
  fail "the unpacked tessaline-makedb"
else
  for identity in "" "1001,周明远,02,财务处,1,财务处处长,01,机关,1,管理岗"; do
    XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/tessaline" ${identity:+"$identity"} \
      >"$tmp/run.log" 2>&1
    status=$?
    [ "$status" -eq 124 ] || { cat "$tmp/run.log"; fail "the unpacked tessaline ${identity:+with an identity }ended with $status within 3 s"; }
  done
fi

echo "package checks took $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ] && echo "package: all checks passed"
exit $((failures > 0))
