#!/usr/bin/env bash
# Builds Festmark for Windows on Debian 12 and checks it there: installs mingw-w64, wine and
# NSIS, builds Qt 6 for Windows once from Debian's own qt6-base source (kept in a cache folder
# outside the checkout), cross-builds Festmark with its tests into build-windows/, runs the
# tests under wine in a throwaway prefix, builds the installer and tries it under wine.
#
#   tools/windows.sh            everything
#   tools/windows.sh qt         only the Qt for Windows (cache)
#   tools/windows.sh build      Qt, then Festmark (no tests run)
#   tools/windows.sh test       Qt, Festmark and its tests under wine (no installer)
#   tools/windows.sh installer  Qt, Festmark, the installer tried under wine (no tests)
#
# FESTMARK_WINDOWS_CACHE (default ~/.cache/festmark-windows) holds the Qt build; delete it to
# build Qt anew.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
what=${1:-all}
cache=${FESTMARK_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/festmark-windows}
build_dir=${FESTMARK_WINDOWS_BUILD_DIR:-$root/build-windows}
triplet=x86_64-w64-mingw32
jobs=$(nproc)

log() { printf 'windows.sh: %s\n' "$*" >&2; }

install_packages() {
    # The host Qt is the cross build's moc, rcc and uic; it must be the same version.
    FESTMARK_EXTRA_PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
binutils-mingw-w64-x86-64 wine wine64 libwine-dev nsis dpkg-dev perl xvfb" \
        "$root/tools/install-deps.sh"
}

# An apt configuration of our own with the deb-src twins of the machine's deb sources, so
# that a source package ($1) can be fetched and unpacked into $2 without touching the
# system's apt setup.
fetch_source() {
    local package=$1 target=$2
    local apt=$cache/apt src=$cache/src
    rm -rf "$apt"
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/archives/partial" "$src"
    : >"$apt/sources.list"
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt/sources.list"
    fi
    local f
    for f in /etc/apt/sources.list.d/*.list; do
        [[ -f $f ]] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >"$apt/sources.list.d/$(basename "$f")"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f $f ]] || continue
        sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
    done
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list"
        -o "Dir::Etc::SourceParts=$apt/sources.list.d"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives"
        -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o APT::Sandbox::User=root)
    log "fetching the $package source package"
    apt-get "${opts[@]}" -qq update
    (cd "$src" && apt-get "${opts[@]}" -qq source --download-only "$package")
    local dsc
    dsc=$(ls "$src/${package}"_*.dsc | head -n1)
    rm -rf "$target"
    dpkg-source --no-check -x "$dsc" "$target" >/dev/null
}

write_toolchain() {
    mkdir -p "$cache"
    cat >"$cache/mingw-toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
EOF
}

qt_prefix=$cache/qt6
build_qt() {
    # A cache built before Qt Network was part of it is built again.
    if [[ -f $qt_prefix/.complete ]] && grep -qx 'network schannel' "$qt_prefix/.complete"; then
        log "Qt for Windows from the cache: $qt_prefix"
        return
    fi
    fetch_source qt6-base "$cache/src/qtbase"
    write_toolchain
    local src=$cache/src/qtbase
    # Debian's tarball leaves out the tablet headers; wine's are the same API.
    mkdir -p "$src/src/3rdparty/wintab"
    # They lean on two macros of wine's own headers and Wacom's API macro.
    {
        printf '#pragma once\n#include <windows.h>\n#ifndef API\n#define API WINAPI\n#endif\n'
        printf '#ifndef DECL_WINELIB_TYPE_AW\n#define DECL_WINELIB_TYPE_AW(t) typedef t##W t;\n'
        printf '#define WINELIB_NAME_AW(n) n##W\n#endif\n'
        cat /usr/include/wine/wine/windows/wintab.h
    } >"$src/src/3rdparty/wintab/wintab.h"
    cp /usr/include/wine/wine/windows/pktdef.h "$src/src/3rdparty/wintab/"
    # Without OpenGL the window code still names an OpenGL-only helper.
    patch_qwindowswindow "$src/src/plugins/platforms/windows/qwindowswindow.cpp"
    rm -rf "$cache/qt-build" "$qt_prefix"
    log "configuring Qt for Windows"
    cmake -S "$src" -B "$cache/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
        -DFEATURE_network=ON -DFEATURE_schannel=ON -DFEATURE_openssl=OFF \
        -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
        -DFEATURE_sql_sqlite=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_freetype=ON \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
        -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF \
        -DFEATURE_pkg_config=OFF >"$cache/qt-configure.log" 2>&1 ||
        { tail -n 40 "$cache/qt-configure.log" >&2; exit 1; }
    log "building Qt for Windows (about 25 minutes at -j2)"
    cmake --build "$cache/qt-build" --parallel "$jobs" >"$cache/qt-build.log" 2>&1 ||
        { tail -n 40 "$cache/qt-build.log" >&2; exit 1; }
    cmake --install "$cache/qt-build" >"$cache/qt-install.log" 2>&1
    echo 'network schannel' >"$qt_prefix/.complete"
}

patch_qwindowswindow() {
    # isSoftwareGl() asks the dynamic-GL loader, which exists only with OpenGL.
    sed -i '/^static inline bool isSoftwareGl()/,/^}/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$1"
    grep -q 'QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)' "$1"
}

gtest_prefix=$cache/gtest
build_gtest() {
    [[ -f $gtest_prefix/.complete ]] && return
    write_toolchain
    rm -rf "$cache/gtest-build" "$gtest_prefix"
    log "building GoogleTest for Windows from /usr/src/googletest"
    cmake -S /usr/src/googletest -B "$cache/gtest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=ON >/dev/null
    cmake --build "$cache/gtest-build" --parallel "$jobs" >/dev/null
    cmake --install "$cache/gtest-build" >/dev/null
    touch "$gtest_prefix/.complete"
}

# The tests are listed when CTest runs them, under wine with the DLLs on its path, not at
# build time.
build_festmark() {
    log "cross-building Festmark into $build_dir"
    cmake -S "$root" -B "$build_dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$gtest_prefix" \
        -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/wine -DFESTMARK_WERROR=ON \
        -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
    cmake --build "$build_dir" --parallel "$jobs"
    # Qt's German texts where the cross-built Qt looks for them, as the installer ships them.
    mkdir -p "$qt_prefix/translations"
    cp /usr/share/qt6/translations/qtbase_de.qm "$qt_prefix/translations/"
}

# The DLLs a program from the cross build needs: Qt's and the compiler's runtime.
runtime_dirs=("$qt_prefix/bin" "/usr/lib/gcc/$triplet/12-posix" "/usr/$triplet/lib")

# A new, empty wine prefix (a real, empty registry), removed on exit.
wine_prefix=
new_wine_prefix() {
    end_wine
    wine_prefix=$(mktemp -d "${TMPDIR:-/tmp}/festmark-wine.XXXXXX")
    export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot --init >/dev/null 2>&1
    wineserver --wait
}
end_wine() {
    if [[ -n $wine_prefix ]]; then
        wineserver --kill 2>/dev/null || true
        rm -rf "$wine_prefix"
        wine_prefix=
    fi
}
xvfb_pid=
end_display() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
}
trap 'end_wine; end_display' EXIT

run_tests() {
    new_wine_prefix
    # One server for all the tests: a server that quits between two tests resets the next
    # one's connection.
    wineserver --persistent
    local path= dir
    for dir in "${runtime_dirs[@]}"; do
        path+="$(winepath -w "$dir" 2>/dev/null);"
    done
    # One at a time: the tests of one prefix share its registry, as a user's programs do.
    log "running the tests under wine"
    # A test that wine fails to start (no output at all, a hundredth of a second: seen once in
    # CI) is run once more; one that fails when it runs fails both times.
    WINEPATH=$path ctest --test-dir "$build_dir" --output-on-failure --timeout 300 \
        --repeat until-pass:2
    # Qt Network and its HTTP under wine: an account's address books read from Radicale.
    log "reading address books from Radicale with festmark.exe under wine"
    WINEPATH=$path FESTMARK_RUNNER=wine /usr/bin/python3 "$root/tests/app/carddav_check.py" \
        "$build_dir/app/festmark.exe" radicale
}

stage_dir=$build_dir/stage
stage() {
    log "staging the installed files in $stage_dir"
    rm -rf "$stage_dir"
    cmake --install "$build_dir" --prefix "$stage_dir" >/dev/null
    # Flat, as a Windows program is installed: everything beside festmark.exe.
    mv "$stage_dir"/bin/* "$stage_dir"/
    rmdir "$stage_dir/bin"
    local dll
    for dll in Qt6Core.dll Qt6Gui.dll Qt6Network.dll Qt6Widgets.dll; do
        cp "$qt_prefix/bin/$dll" "$stage_dir/"
    done
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
        cp "/usr/lib/gcc/$triplet/12-posix/$dll" "$stage_dir/"
    done
    cp "/usr/$triplet/lib/libwinpthread-1.dll" "$stage_dir/"
    mkdir -p "$stage_dir/plugins/platforms" "$stage_dir/plugins/styles" "$stage_dir/plugins/tls" \
        "$stage_dir/translations"
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage_dir/plugins/platforms/"
    # https through Windows' own TLS (Schannel) and its certificate store.
    cp "$qt_prefix/plugins/tls/qschannelbackend.dll" "$stage_dir/plugins/tls/"
    cp "$qt_prefix"/plugins/styles/*.dll "$stage_dir/plugins/styles/" 2>/dev/null || true
    cp /usr/share/qt6/translations/qtbase_de.qm "$stage_dir/translations/"
    printf '[Paths]\r\nPrefix=.\r\nPlugins=plugins\r\nTranslations=translations\r\n' \
        >"$stage_dir/qt.conf"
    "$triplet-strip" "$stage_dir"/*.exe "$stage_dir"/*.dll "$stage_dir"/plugins/*/*.dll
}

version=$(sed -n 's/^project(Festmark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
installer=$build_dir/festmark-$version-setup.exe
make_installer() {
    stage
    log "building $installer"
    makensis -V2 -DSTAGE="$stage_dir" -DOUTFILE="$installer" "$build_dir/festmark.nsi"
}

# The installer under wine: silent install, the installed program's --list and --ics against
# the Linux build's, its window and ways out, the uninstaller.
check_installer() {
    new_wine_prefix
    local dir="C:\\Program Files\\Festmark" unixdir
    log "installing silently under wine"
    wine "$installer" /S
    wineserver --wait
    unixdir=$(winepath -u "$dir")
    [[ -f $unixdir/festmark.exe ]] || { log "not installed: $unixdir/festmark.exe"; exit 1; }
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Festmark' \
        /v DisplayName >/dev/null || { log "no uninstall entry under Apps"; exit 1; }

    local linux=$root/build/app/festmark
    [[ -x $linux ]] || "$root/tools/build.sh" >/dev/null
    local list=$root/res/Festmark.txt work
    work=$(mktemp -d)
    local args=(--file "$(winepath -w "$list")" --date 14.03.2026 --ahead 400)
    wine "$unixdir/festmark.exe" --list "${args[@]}" >"$work/windows.txt"
    "$linux" --list --file "$list" --date 14.03.2026 --ahead 400 >"$work/linux.txt"
    cmp "$work/windows.txt" "$work/linux.txt" || { log "--list differs from Linux"; exit 1; }
    wine "$unixdir/festmark.exe" --ics "${args[@]}" | grep -v '^DTSTAMP' >"$work/windows.ics"
    "$linux" --ics --file "$list" --date 14.03.2026 --ahead 400 | grep -v '^DTSTAMP' \
        >"$work/linux.ics"
    cmp "$work/windows.ics" "$work/linux.ics" || { log "--ics differs from Linux"; exit 1; }
    log "--list ($(wc -l <"$work/linux.txt") lines) and --ics are the Linux build's bytes"

    check_window "$unixdir/festmark.exe" "$work"

    log "uninstalling"
    wine "$unixdir/uninstall.exe" /S
    wineserver --wait
    local waited=0
    while [[ -e $unixdir ]] && ((waited < 30)); do sleep 1; waited=$((waited + 1)); done
    [[ ! -e $unixdir ]] || { log "the uninstaller left $unixdir"; exit 1; }
    if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Festmark' \
        >/dev/null 2>&1; then
        log "the uninstall entry is still there"
        exit 1
    fi
    wine reg query 'HKCU\Software\Orvanta\Festmark\Settings' >/dev/null ||
        { log "the settings did not stay"; exit 1; }
    rm -rf "$work"
    log "installer: installed, listed, opened, ended, uninstalled"
}

# The installed window on an X display: it opens, and each way out ends it with the settings
# and a quoted login entry in the registry.
check_window() {
    local exe=$1 work=$2
    end_display
    # A wine session begun without a display keeps it: the window needs a session of its own.
    wineserver --wait
    local displayfd
    exec {displayfd}<> <(:)
    Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    local number
    read -r -t 20 number <&"$displayfd" || { log "Xvfb did not start"; exit 1; }
    exec {displayfd}>&-
    export DISPLAY=:$number
    openbox >/dev/null 2>&1 &
    local way title='^Festmark [0-9.]+$' # the main window, not a message
    for way in Return alt+b alt+F4; do
        wine "$exe" >"$work/window.log" 2>&1 &
        local pid=$! id= waited=0
        while [[ -z $id ]] && ((waited < 60)); do
            sleep 1
            waited=$((waited + 1))
            id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n1 || true)
        done
        if [[ -z $id ]]; then
            log "the window did not open; the display shows:"
            xdotool search --name . 2>/dev/null | while read -r w; do
                printf '  %s %s\n' "$w" "$(xdotool getwindowname "$w" 2>/dev/null)" >&2
            done
            cat "$work/window.log" >&2
            exit 1
        fi
        sleep 2 # the first scan's paint
        kill -0 "$pid" 2>/dev/null || { log "the window ended before $way"; exit 1; }
        # Pressed and released as a keyboard does (XTEST): a key sent to the window alone
        # leaves the window manager holding it for the next window.
        xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
        xdotool key --clearmodifiers "$way"
        waited=0
        while kill -0 "$pid" 2>/dev/null && ((waited < 30)); do sleep 1; waited=$((waited + 1)); done
        if kill -0 "$pid" 2>/dev/null; then
            log "the window did not end by $way"
            exit 1
        fi
        wait "$pid" || { log "the window ended by $way with status $?"; exit 1; }
        # Its window gone from the screen too, before the next one is looked for.
        waited=0
        while xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 &&
            ((waited < 10)); do
            sleep 1
            waited=$((waited + 1))
        done
        log "the window ended by $way"
    done
    wine reg query 'HKCU\Software\Orvanta\Festmark\Settings' /v Startday | grep -q Startday ||
        { log "no settings in the registry"; exit 1; }
    local run
    run=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Festmark |
        tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
    [[ $run == \"*festmark.exe\" ]] || { log "login entry not quoted: $run"; exit 1; }
    log "login entry: $run"
    end_display
    unset DISPLAY
}

# Qt and GoogleTest for Windows (from the cache when there), then the cross-build.
build_all() {
    install_packages
    build_qt
    build_gtest
    build_festmark
}

case $what in
qt)
    install_packages
    build_qt
    build_gtest
    ;;
build) build_all ;;
test)
    build_all
    run_tests
    ;;
installer)
    build_all
    make_installer
    check_installer
    ;;
all)
    build_all
    run_tests
    make_installer
    check_installer
    log "done: $installer"
    ;;
*)
    echo "usage: tools/windows.sh [qt|build|test|installer|all]" >&2
    exit 2
    ;;
esac
