#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack and checks it: its name, exactly the files in files.txt
# under /usr, its control fields, and that the metainfo's newest release is the package version.
#   deb_package.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail
build=$1
work=$2
version=$3
# shellcheck source=tests/install/common.sh
source "$(dirname "$0")/common.sh"

quietly cpack.log "${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -G DEB -B "$work"
deb=$work/velmaro_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work")"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort >"$work/contents.txt"
expect_files "$work/contents.txt" "the package's files"

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
