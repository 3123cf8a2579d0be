#!/usr/bin/env bash
# check_packaging_files.sh WHAT PACKAGING_FOLDER VERSION
# Checks the files in packaging/ the way a desktop, AppStream and man read them. WHAT is
# desktop, metainfo, icons or manpages. Exits 77 (skipped) when the tool it needs is missing.
set -uo pipefail
export LC_ALL=C.UTF-8
what=$1 folder=$2 version=$3
app_id=com.example.tessaline
desktop="$folder/$app_id.desktop"
metainfo="$folder/$app_id.metainfo.xml"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (Debian package $2)"; exit 77; }; }

# The value of KEY in the desktop entry, exactly as written.
entry() { sed -n "s/^$1=//p" "$desktop"; }

case "$what" in
  desktop)
    need desktop-file-validate desktop-file-utils
    output=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $output"
    [ -z "$output" ] || fail "desktop-file-validate has remarks: $output"
    [ "$(entry Name)" = Tessaline ] || fail "Name is '$(entry 'Name')'"
    [ -n "$(entry 'Name\[zh_CN\]')" ] || fail "no Chinese name"
    entry Comment | grep -qP '\p{Han}' || fail "the comment is not Chinese"
    entry 'Comment\[zh_CN\]' | grep -qP '\p{Han}' || fail "the zh_CN comment is not Chinese"
    # Any argument would be taken for the launcher's operator identity: no field codes.
    [ "$(entry Exec)" = tessaline ] || fail "Exec is '$(entry Exec)'"
    [ "$(entry Icon)" = tessaline ] || fail "Icon is '$(entry Icon)'"
    [ "$(entry Categories)" = "Office;Finance;" ] || fail "Categories are '$(entry Categories)'"
    ;;
  metainfo)
    need appstreamcli appstream
    appstreamcli validate --no-net --strict --pedantic "$metainfo" || fail "appstreamcli validate"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the component id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
      || fail "the launchable is not the desktop file $app_id.desktop"
    first_release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1)
    [ "$first_release" = "<release version=\"$version\"" ] \
      || fail "the newest release is $first_release, the project is $version"
    ;;
  icons)
    # Width and height from the PNG header must match the folder each goes to.
    for size in 48 256; do
      png="$folder/icons/tessaline-$size.png"
      [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { fail "$png is no PNG"; continue; }
      read -r width height < <(od -An -tu4 --endian=big -j 16 -N 8 "$png")
      [ "$width x $height" = "$size x $size" ] || fail "$png is $width x $height"
    done
    grep -q '<svg[^>]*viewBox="0 0 256 256"' "$folder/icons/tessaline.svg" || fail "the SVG icon is not square"
    ;;
  manpages)
    need man man-db
    for page in tessaline.1 tessaline-makedb.1; do
      warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$folder/man/$page" 2>&1 >/dev/null)
      [ -z "$warnings" ] || fail "$page: $warnings"
      grep -q "^\.TH .*\"Tessaline $version\"" "$folder/man/$page" || fail "$page is not of version $version"
    done
    head -n 1 "$folder/changelog" | grep -q "^tessaline ($version) " \
      || fail "the changelog's newest entry is not $version: $(head -n 1 "$folder/changelog")"
    ;;
  *)
    echo "usage: check_packaging_files.sh desktop|metainfo|icons|manpages FOLDER VERSION" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] && echo "$what: all checks passed"
exit $((failures > 0))
