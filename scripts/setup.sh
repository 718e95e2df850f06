# Sourced by ./run, ./test and ./package: installs the Debian packages the
# project needs (only those missing, so a second run does no network work)
# and builds.
set -euo pipefail

VERLUMO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VERLUMO_BUILD="${VERLUMO_BUILD:-$VERLUMO_ROOT/build}"

VERLUMO_PACKAGES=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    qt6-base-dev qt6-qpa-plugins libgl-dev
    libgif-dev libdeflate-dev
    fonts-dejavu-core fonts-liberation
    # The validators of the menu entry and the AppStream metadata (tests).
    desktop-file-utils appstream
    # The viewer as a user drives it: a real X server and window manager.
    xvfb openbox xdotool
    # ./test --sanitize: clang with ASan, UBSan and libFuzzer.
    clang libclang-rt-14-dev ccache
)
# Only ./test needs these: the web edition's browser test drives Debian's
# Chromium with Playwright and serves the site from nginx.
VERLUMO_TEST_PACKAGES=(chromium nginx nodejs npm)

verlumo_install_packages() {
    local missing=()
    local pkg
    for pkg in "${VERLUMO_PACKAGES[@]}"; do
        # A Node.js from another archive (NodeSource's nodejs) carries its
        # own npm and conflicts with Debian's npm: the command is what counts.
        if [ "$pkg" = npm ] && command -v npm >/dev/null; then
            continue
        fi
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The browser test's npm packages, pinned by tests/web/package-lock.json;
# installed again only when the lock file is newer than what npm installed.
verlumo_install_node_packages() {
    local dir="$VERLUMO_ROOT/tests/web"
    if [ ! -f "$dir/node_modules/.package-lock.json" ] ||
        [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
        (cd "$dir" && npm ci --no-audit --no-fund)
    fi
}

verlumo_build() {
    if [ ! -f "$VERLUMO_BUILD/build.ninja" ]; then
        cmake -S "$VERLUMO_ROOT" -B "$VERLUMO_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$VERLUMO_BUILD"
}

# The ASan + UBSan build of everything but the benches, with the fuzz targets
# as libFuzzer binaries. -O1 and line tables only: fast enough to run the
# suite, small enough to link quickly on a CI machine. Targets may be named;
# without any, everything is built.
VERLUMO_SANITIZE_BUILD="${VERLUMO_SANITIZE_BUILD:-$VERLUMO_ROOT/build-sanitize}"

verlumo_build_sanitize() {
    if [ ! -f "$VERLUMO_SANITIZE_BUILD/build.ninja" ]; then
        local launcher=()
        if command -v ccache >/dev/null; then
            launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        fi
        cmake -S "$VERLUMO_ROOT" -B "$VERLUMO_SANITIZE_BUILD" -G Ninja \
            -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Sanitize \
            -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -gline-tables-only -fno-omit-frame-pointer" \
            -DVERLUMO_FUZZ=ON -DVERLUMO_BUILD_BENCH=OFF "${launcher[@]}"
    fi
    local targets=()
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    cmake --build "$VERLUMO_SANITIZE_BUILD" "${targets[@]}"
}
