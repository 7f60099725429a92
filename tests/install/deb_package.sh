#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: its name, exactly the files in files.txt
# under /usr, its control fields, and that the metainfo's newest release is the package version.
#   deb_package.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail
build=$1
work=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
"${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
}
deb=$work/velmaro_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work")"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort >"$work/contents.txt"
diff -u "$here/files.txt" "$work/contents.txt" || fail "package contents differ from files.txt"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmaro ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
field Depends | grep -q 'libqt6widgets6' || fail "Depends without Qt Widgets: $(field Depends)"

dpkg-deb --fsys-tarfile "$deb" | tar -xf - -C "$work" ./usr/share/metainfo
release=$(grep -o '<release version="[^"]*"' "$work"/usr/share/metainfo/*.xml | head -n 1 | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "the metainfo's newest release is $release, the package $version"
echo "packaged: $(basename "$deb"), Depends: $(field Depends)"
