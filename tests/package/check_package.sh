#!/usr/bin/env bash
# Packages a build tree and checks that each file lands where Debian, the desktop and the file
# managers look for it. Usage: check_package.sh BUILD_DIR VERSION [MODULE, as its file manager loads it]…
set -euo pipefail
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed: skipped"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$1/CPackConfig.cmake" -B "$out" >/dev/null
deb=$out/quintara_$2_amd64.deb
shift 2
expected=$(printf '%s\n' "-rwxr-xr-x ./usr/bin/quintara" "-rwxr-xr-x ./usr/libexec/quintara/quintara-app" \
    "-rw-r--r-- ./usr/libexec/quintara/"{libquintara-launch.so,libquintara-reveal.so} \
    "-rw-r--r-- ./usr/share/"{applications/app.quintara.Quintara.desktop,icons/hicolor/scalable/apps/app.quintara.Quintara.svg} \
    "-rw-r--r-- ./usr/share/"{metainfo/app.quintara.Quintara.metainfo.xml,quintara/extension-guide.html,quintara/extension-guide.de.html,doc/quintara/copyright} \
    "${@/#/-rw-r--r-- .}" | sort)
# Exactly these files: nothing the system owns (a staged install can leave a desktop database cache).
diff <(echo "$expected") <(dpkg-deb -c "$deb" | awk '!/\/$/ {print $1, $6}' | sort)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6widgets6 <<<"$depends"
# A module's libraries are its file manager's to bring, not the package's.
! grep -qE "nautilus|nemo|caja|thunar|gtk" <<<"$depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme, qt6-translations-l10n" ]
