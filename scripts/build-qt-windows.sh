#!/usr/bin/env bash
# Qt for 64-bit Windows (Core, Gui, Widgets, the Windows platform and style plugins, as DLLs),
# cross-built with mingw-w64 from Debian's qt6-base source package of the host Qt's version, and
# installed into a cache folder outside the clone. Debian ships no Qt for mingw-w64; its source
# builds as is, with the host's Qt tools (moc, rcc, uic) standing in for the Windows ones.
#
#   bash scripts/build-qt-windows.sh        # prints the Qt prefix on its last line
#
# The folder's name holds the Qt version and a hash of everything that shapes the build (the
# options below and the compilers' toolchain file), so a second run finds it and costs nothing,
# and a changed option builds beside it. Files are installed into a staging folder and moved into
# place in one rename at the very end: an interrupted or failed build never leaves a folder that
# looks complete. The source and the build tree are kept under the cache's work/ folder until
# the build succeeds, so a run after an interruption resumes where it stopped.
#
# TAVIN_CACHE (default ~/.cache/tavin) chooses the cache folder. Needs root or sudo only for
# packages that are missing; the source is fetched with a deb-src entry that lives in a private
# apt folder for that fetch only, so the system's apt sources stay as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${TAVIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavin}

log() { echo "build-qt-windows: $*" >&2; }

bash "$here/scripts/install-missing.sh" qt6-base-dev g++-mingw-w64-x86-64-posix cmake ninja-build \
    dpkg-dev xz-utils >&2

version=$(dpkg-query -W -f='${Version}' qt6-base-dev) # e.g. 6.4.2+dfsg-10
upstream=${version%%+*}
upstream=${upstream%%-*}

options=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_WITH_PCH=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_system_zlib=OFF
    # No OpenGL: the programs draw with widgets only. With it off, the Windows plugin still calls
    # the dynamic-GL loader unless that is off too.
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
    # Debian's source leaves out the tablet headers the Windows plugin's tablet support needs.
    -DFEATURE_tabletevent=OFF
)
toolchain=$here/cmake/mingw-w64-compilers.cmake
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$( (printf '%s\n' "${options[@]}" "$compiler"; cat "$toolchain") | sha256sum | cut -c1-12)
prefix=$cache/qt-$version-$key-mingw64

if [ -f "$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
    log "cached: $prefix"
    echo "$prefix"
    exit 0
fi

work=$cache/work/qt-$version-$key
staging=$cache/work/staging-$version-$key
mkdir -p "$work"
start=$SECONDS

# The source: Debian's, with Debian's patches applied, of exactly the host Qt's version.
src=$work/source
if [ ! -f "$src/.unpacked" ]; then
    rm -rf "$src" "$work/apt"
    apt=$work/apt
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$src"
    # The system's own mirrors and suites, as deb-src, in a private list that apt reads for
    # this fetch only.
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list \
            >"$apt/sources.list.d/system.list"
    fi
    aptopts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d"
             -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
             -o Debug::NoLocking=true -o APT::Sandbox::User=root)
    [ "$(id -u)" -eq 0 ] || aptopts+=(-o APT::Sandbox::User="$(id -un)")
    log "fetching Debian's qt6-base $version source"
    timeout 600 apt-get -qq "${aptopts[@]}" update >&2
    (cd "$src" && timeout 900 apt-get -qq "${aptopts[@]}" source --download-only \
        "qt6-base=$version" >&2)
    (cd "$src" && dpkg-source -x --no-check qt6-base_*.dsc qtbase >&2)
    rm -rf "$apt" "$src"/*.tar.* "$src"/*.dsc
    touch "$src/.unpacked"
fi

build=$work/build
if [ ! -f "$build/build.ninja" ]; then
    log "configuring Qt $upstream for Windows"
    rm -rf "$build"
    cmake -S "$src/qtbase" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
        { tail -40 "$work/configure.log" >&2; rm -rf "$build"; exit 1; }
fi
log "building Qt $upstream for Windows (about 25 min on 2 cores; log: $work/build.log)"
cmake --build "$build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log" >&2; exit 1; }

rm -rf "$staging"
DESTDIR=$staging cmake --install "$build" >"$work/install.log" 2>&1 ||
    { tail -20 "$work/install.log" >&2; exit 1; }
[ -f "$staging$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] ||
    { log "the install holds no Qt6Widgets"; exit 1; }
mkdir -p "$(dirname "$prefix")"
rm -rf "$prefix"
mv "$staging$prefix" "$prefix"
rm -rf "$staging" "$work"
log "built in $((SECONDS - start)) s: $prefix"
echo "$prefix"
