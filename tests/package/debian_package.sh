#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as a distribution does and checks what comes out. Where this machine
# can make fresh Debian 12 roots (root rights, mmdebstrap; tools/ci/root.sh), each build runs in a
# pristine one holding only build-essential, dpkg-dev and the Build-Depends that apt-get build-dep
# resolves from debian/control, as Debian's builders do, so that a missing Build-Depends fails
# here; and the built package is installed in a third root and tested there with autopkgtest
# (debian/tests). Elsewhere the test says so in one line and builds with this machine's packages.
# Then: lintian has no error or warning to report, the game is hardened (hardening-check, and the
# flags the compiler recorded in the debug symbols), and the package unpacked into a scratch root
# holds exactly the files in files.txt, a manual page that man reads cleanly, icons of the sizes
# they claim and metadata that validates.
#   debian_package.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$(cd "$1" && pwd -P)
work=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/install/common.sh
source "$here/../install/common.sh"
# shellcheck source=tools/ci/root.sh
source "$src/tools/ci/root.sh"

# The package build runs the test suite; this test must never run inside the build it started.
[ -z "${VELMARO_PACKAGE_TEST:-}" ] || fail "started inside the package build it is testing"
export VELMARO_PACKAGE_TEST=1

for tool in dpkg-buildpackage dpkg-source dpkg-parsechangelog lintian hardening-check man \
    readelf file appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null || fail "no $tool (tools/bootstrap.sh installs it)"
done

version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
upstream=${version%-*}
arch=$(dpkg --print-architecture)
copy=$work/velmaro-$upstream

# The scratch copy: the files git tracks or would track, so no build directory comes along; or,
# outside a git checkout, the tree without its build directories.
mkdir -p "$copy"
if [ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null || true)" = "$src" ]; then
    git -C "$src" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ ! -e "$src/$f" ] || printf '%s\0' "$f"; done |
        tar -C "$src" --null -T - -cf - | tar -xf - -C "$copy"
else
    tar -C "$src" --exclude=./.git --exclude='./build*' --exclude='./obj-*' \
        --exclude=./debian/build -cf - . | tar -xf - -C "$copy"
fi
cd "$work"

# The source package, from an upstream tarball of the same tree, so that lintian sees it too.
tar --exclude="velmaro-$upstream/debian" -cJf "velmaro_$upstream.orig.tar.xz" "velmaro-$upstream"
quietly source.log dpkg-source -b "velmaro-$upstream"

# build_package DIR LOG PROFILE ENV...: dpkg-buildpackage -us -uc -b in the unpacked sources DIR
# (two jobs: CI has two cores, and this machine may be shared), with the build profile PROFILE
# (or none) and the environment ENV, its output in $work/LOG; the packages land beside DIR. In a
# fresh root, the sources sit at the same path as here, and only what comes out is copied back.
if why=$(root_unavailable); then
    echo "package: no fresh Debian root here ($why): building with this machine's packages"
    build_package() {
        local dir=$1 log=$2 profile=$3
        shift 3
        (cd "$dir" && env "$@" DEB_BUILD_PROFILES="$profile" dpkg-buildpackage -us -uc -b) \
            >"$work/$log" 2>&1
    }
else
    echo "package: building in fresh Debian 12 roots"
    roots=$work/roots
    mkdir -p "$roots"
    quietly roots.log root_tarball "$roots/pristine.tar"
    build_package() {
        local dir=$1 log=$2 profile=$3 in
        shift 3
        in=$roots/${log%.log}
        root_unpack "$roots/pristine.tar" "$in"
        mkdir -p "$in$dir"
        cp -a "$dir/." "$in$dir"
        # shellcheck disable=SC2016 # expanded by the shell inside
        root_run "$in" bash -euc '
            dir=$1 profile=$2
            shift 2
            source "$dir/tools/lib/packages.sh"
            apt_get update -qq
            apt_install install build-essential dpkg-dev >/dev/null
            apt_install ${profile:+--build-profiles="$profile"} build-dep "$dir/" >/dev/null
            cd "$dir"
            exec env "$@" DEB_BUILD_PROFILES="$profile" dpkg-buildpackage -us -uc -b
        ' build "$dir" "$profile" "$@" >"$work/$log" 2>&1 || return 1
        cp "$in$(dirname "$dir")"/*.deb "$in$(dirname "$dir")"/*.changes \
            "$in$(dirname "$dir")"/*.buildinfo "$(dirname "$dir")/"
        mkdir -p "$dir/debian/build"
        cp "$in$dir/debian/build/CMakeCache.txt" "$dir/debian/build/"
        rm -rf "$in"
    }
fi

# The binary package, with its tests.
build_package "$copy" build.log "" DEB_BUILD_OPTIONS=parallel=2 || {
    tail -n 200 build.log
    fail "dpkg-buildpackage -us -uc -b; the whole log is $work/build.log"
}
deb=velmaro_${version}_$arch.deb
[ -f "$deb" ] || fail "no $deb in: $(ls)"

# The package build ran the suite, said what it skipped, and skipped this test.
skipped=$(awk '/^Tests skipped in the package build/ { on = 1; print; next }
               on && /^  / { print; next } { on = 0 }' build.log)
grep -qx '  package.debian' <<<"$skipped" || fail "the package build did not skip package.debian"
! grep -qE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: package\.' build.log ||
    fail "the package build ran a package test"
grep -q '^100% tests passed' build.log || fail "the package build ran no passing test suite"
echo "$skipped"
grep '^100% tests passed' build.log

# lintian on the binary and the source packages: nothing at error or warning level. (Shown with
# the overridden tags too, for the record; lintian counts those against --fail-on, so the verdict
# comes from a run without them.)
lintian --pedantic --fail-on error,warning "velmaro_${version}_$arch.changes" \
    "velmaro_$version.dsc" >lintian.txt 2>&1 || {
    cat lintian.txt
    fail "lintian"
}
lintian --pedantic --show-overrides "velmaro_${version}_$arch.changes" "velmaro_$version.dsc" \
    >lintian-overrides.txt 2>&1 || true
echo "lintian --pedantic: $(grep -cE '^[EWIPX]: ' lintian.txt || true) tags," \
    "$(grep -cE '^O: ' lintian-overrides.txt || true) overridden"
grep -E '^[EWIPXO]: ' lintian-overrides.txt || true
# Every override says why, in a comment just above it.
for overrides in "$copy"/debian/*lintian-overrides "$copy"/debian/source/lintian-overrides; do
    [ -f "$overrides" ] || continue
    awk '/^#/ { said = 1; next } /^[[:space:]]*$/ { said = 0; next }
         !said { print FILENAME ":" FNR ": no comment says why: " $0; bad = 1 }
         END { exit bad }' "$overrides" || fail "an override without a reason"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
game=$root/usr/games/velmaro

# Hardening. hardening-check reads the binary; where it can only guess, the flags that the
# compiler recorded in the debug symbols of each of the game's compilation units decide.
hardening-check "$game" >hardening.txt || true
cat hardening.txt
result() { sed -n "s/^ $1: //p" hardening.txt; }
for check in "Position Independent Executable" "Stack protected" "Read-only relocations" \
    "Immediate binding"; do
    [ "$(result "$check")" = yes ] || fail "hardening-check: $check: $(result "$check")"
done
dpkg-deb -x "velmaro-dbgsym_${version}_$arch.deb" "$work/dbgsym"
build_id=$(readelf -n "$game" | sed -n 's/^ *Build ID: //p')
debug=$work/dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
[ -f "$debug" ] || fail "no debug symbols for build id $build_id"
# One line a C++ unit: its source file, then the options it was compiled with.
readelf --debug-dump=info "$debug" 2>/dev/null | awk '
    /DW_AT_producer/ { sub(/.*DW_AT_producer *: (\(indirect string, offset: 0x[0-9a-f]+\): )?/, "")
                       producer = $0; next }
    /DW_AT_name/ && producer != "" { sub(/.*DW_AT_name *: (\(indirect[^)]*\): )?/, "")
                                     if (producer ~ /^GNU C\+\+/) print $0 "\t" producer
                                     producer = "" }' >units.txt
grep -q "src/rink/tick.cpp" units.txt || fail "no compilation unit of the rules in the debug symbols"
want=(-O2 -fstack-protector-strong -ffp-contract=off)
case $arch in amd64 | arm64 | i386 | ppc64el | s390x) want+=(-fstack-clash-protection) ;; esac
case $arch in amd64 | i386) want+=(-fcf-protection=full) ;; esac
while IFS=$'\t' read -r unit producer; do
    for flag in "${want[@]}"; do
        [[ " $producer " == *" $flag "* ]] || fail "$unit was compiled without $flag: $producer"
    done
    # The rules round as written only without the SLP vectoriser, in this build type too.
    [[ "$unit" != *src/rink/* || " $producer " == *" -fno-tree-slp-vectorize "* ]] ||
        fail "$unit was compiled with the SLP vectoriser: $producer"
done <units.txt
# The preprocessor's -D_FORTIFY_SOURCE is not recorded there; the build log shows it.
compiles=$(grep -cE '/c\+\+ .* -c [^ ]*/src/' build.log || true)
fortified=$(grep -E '/c\+\+ .* -c [^ ]*/src/' build.log | grep -c -- ' -D_FORTIFY_SOURCE=2 ' || true)
((compiles > 0 && compiles == fortified)) ||
    fail "$fortified of $compiles compilations of src/ had -D_FORTIFY_SOURCE=2"
# Fortification replaces only calls whose bounds the compiler knows and cannot prove safe; the
# game's are one-byte reads and writes on a pipe, and copies inside libstdc++ of buffers whose
# size it cannot see, so hardening-check may find no fortified call to count.
case $(result "Fortify Source functions") in
"yes"* | "unknown, no protectable libc functions used" | "no, only unprotected functions found!") ;;
*) fail "hardening-check: Fortify Source functions: $(result "Fortify Source functions")" ;;
esac
# Stack clash probes appear only in functions with frames larger than a page; the game has none.
case $(result "Stack clash protection") in
"yes" | "unknown, no -fstack-clash-protection instructions found") ;;
*) fail "hardening-check: Stack clash protection: $(result "Stack clash protection")" ;;
esac
# The linker marks a program as protected only if every object in it is, C library's start files
# included; Debian 12 builds glibc without that mark, so the game's own marks are lost there.
if [ "$(result "Control flow integrity")" != yes ]; then
    start=$(gcc -print-file-name=Scrt1.o)
    ! readelf -n "$start" | grep -q 'IBT, SHSTK' ||
        fail "hardening-check: Control flow integrity: $(result "Control flow integrity")"
    echo "(control flow integrity: $start carries no IBT/SHSTK mark)"
fi

# The unpacked package: exactly the expected files, each doing its job.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' >contents.txt
expect_files "$here/files.txt" contents.txt "the package's files"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmaro ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
field Depends | grep -q 'libqt6widgets6' || fail "Depends without Qt Widgets: $(field Depends)"
field Recommends | grep -qw 'qt6-wayland' || fail "Recommends: $(field Recommends)"

page=$root/usr/share/man/man6/velmaro.6.gz
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >man.txt) || fail "man -l: $warnings"
[ -z "$warnings" ] || fail "man -l --warnings: $warnings"
grep -q '^ *velmaro - air hockey against the computer$' man.txt || fail "the manual page has no NAME"
grep -q "^Velmaro $upstream " man.txt || fail "the manual page is not of version $upstream"

check_icons "$root/usr/share/icons/hicolor" velmaro
desktop=$root/usr/share/applications/io.github.velmaro.Velmaro.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
[ -x "$root/usr/games/$(sed -n 's/^Exec=//p' "$desktop")" ] || fail "Exec= is not the packaged game"
appstream_clean "$root"
release=$(grep -o '<release version="[^"]*"' "$root"/usr/share/metainfo/*.xml | head -n 1 | cut -d'"' -f2)
[ "$release" = "$upstream" ] || fail "the metainfo's newest release is $release, the package $upstream"
echo "packaged: $deb, Depends: $(field Depends), Recommends: $(field Recommends)"

# Reproducible: the source package unpacked elsewhere and built again, later, in another time
# zone and umask, gives the same bytes. That build leaves the tests out (nocheck), which must
# not change the package either, and must not look for any test tool.
again=$work/again/somewhere/else
mkdir -p "$again"
quietly unpack.log dpkg-source -x "velmaro_$version.dsc" "$again/velmaro-$upstream"
(umask 0002 && build_package "$again/velmaro-$upstream" again.log nocheck TZ=Pacific/Kiritimati \
    LC_ALL=C.UTF-8 DEB_BUILD_OPTIONS="nocheck parallel=2") || {
    tail -n 100 again.log
    fail "the second, nocheck build; the whole log is $work/again.log"
}
for built in "$deb" "velmaro-dbgsym_${version}_$arch.deb"; do
    cmp -s "$built" "$again/$built" || {
        diff <(dpkg-deb -c "$built") <(dpkg-deb -c "$again/$built") || true
        fail "$built differs between the two builds"
    }
done
cache=$again/velmaro-$upstream/debian/build/CMakeCache.txt
! grep -E '^(XVFB_RUN|VALGRIND|GTest_DIR|found_[^:]*):' "$cache" ||
    fail "the build without tests looked for test tools"
echo "reproducible: the nocheck build in $again gives the same $(sha256sum "$deb" | cut -c1-16)..."

# The package as installed, tested as installed: autopkgtest runs debian/tests in a fresh root
# where it installs the package and what the tests depend on, as Debian's CI does.
if [ -n "${roots:-}" ]; then
    in=$roots/autopkgtest
    root_unpack "$roots/pristine.tar" "$in"
    mkdir -p "$in/srv/package"
    cp "$deb" "$in/srv/package/"
    cp -a "$copy" "$in/srv/package/"
    # shellcheck disable=SC2016 # expanded by the shell inside
    root_run "$in" bash -euc '
        cd /srv/package
        source "$2/tools/lib/packages.sh"
        apt_get update -qq
        apt_install install autopkgtest >/dev/null
        # (./NAME.deb: the built package; DIR/: the source tree whose debian/tests run)
        exec autopkgtest --output-dir=out "$1" "$2" -- null
    ' autopkgtest "./$deb" "velmaro-$upstream/" >autopkgtest.log 2>&1 || {
        tail -n 60 autopkgtest.log
        fail "autopkgtest of the installed package; the whole log is $work/autopkgtest.log"
    }
    grep -E '^command1 +PASS' autopkgtest.log || fail "autopkgtest ran no passing test"
    rm -rf "$in"
fi
