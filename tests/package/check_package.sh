#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks that every file lands where Debian, the
# desktop and the file managers look for it, with dependencies taken from the binaries.
# Usage: check_package.sh BUILD_DIR VERSION [MODULE…]   (each module as its file manager loads it)
set -euo pipefail
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed: skipped"; exit 77; }
build=$1 version=$2
shift 2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$out/quintara_${version}_amd64.deb
listing=$(dpkg-deb -c "$deb" | awk '{print $1, $6}')

failed=0
fail() { echo "$*"; failed=1; }
expected=(
    "-rwxr-xr-x /usr/bin/quintara"
    "-rwxr-xr-x /usr/libexec/quintara/quintara-app"
    "-rw-r--r-- /usr/share/applications/app.quintara.Quintara.desktop"
    "-rw-r--r-- /usr/share/icons/hicolor/scalable/apps/app.quintara.Quintara.svg"
    "-rw-r--r-- /usr/share/metainfo/app.quintara.Quintara.metainfo.xml"
    "-rw-r--r-- /usr/share/quintara/extension-guide.html"
    "-rw-r--r-- /usr/share/doc/quintara/copyright"
)
for module in "$@"; do expected+=("-rw-r--r-- $module"); done
for entry in "${expected[@]}"; do
    grep -qxF -e "${entry% *} .${entry#* }" <<<"$listing" || fail "not in the package as expected: $entry"
done
# Files the system owns must not come with the package (a staged install may leave them behind).
grep -vE '/$|^-\S+ \./usr/(bin|libexec|lib|share/(applications|icons|metainfo|quintara|doc/quintara))/[^ ]+$' \
    <<<"$listing" | sed 's/^/unexpected: /' | grep . && failed=1
grep -q 'mimeinfo.cache' <<<"$listing" && fail "the package carries the desktop database's cache"

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6core6' <<<"$depends" || fail "Depends lacks what the binaries link: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
for theme in qt6-gtk-platformtheme qt6-xdgdesktopportal-platformtheme; do
    grep -qw "$theme" <<<"$recommends" || fail "Recommends lacks $theme: $recommends"
done
exit $failed
