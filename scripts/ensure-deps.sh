#!/usr/bin/env bash
# Makes sure the tools a make target needs are on this machine. Each argument
# names a need; what is missing is installed with apt-get (as root, or through
# sudo without a password), or the exact command to run is printed and the
# script fails.
set -euo pipefail

packages=()
need() { # need <present-test-command...> -- <debian package>
    local pkg="${!#}"
    local test=("${@:1:$#-1}")
    if ! "${test[@]}" >/dev/null 2>&1; then packages+=("$pkg"); fi
}
has() { command -v "$1"; }
has_gtest() {
    [ -f /usr/include/gtest/gtest.h ] || return 1
    local lib
    for lib in /usr/lib/*/libgtest.a /usr/lib/libgtest.a /usr/lib/*/libgtest.so; do
        [ -e "$lib" ] && return 0
    done
    return 1
}

has_libfuzzer() {
    echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -fsanitize=fuzzer,address -x c++ - -o /dev/null
}

for want in "$@"; do
    case "$want" in
        compiler) need has g++ g++ ;;
        cmake) need has cmake cmake ;;
        gtest) need has_gtest libgtest-dev ;;
        python) need has python3 python3 ;;
        lint) need has clang-tidy clang-tidy; need has clang-format clang-format
              need has cppcheck cppcheck ;;
        package) need has dpkg-deb dpkg; need has dpkg-shlibdeps dpkg-dev ;;
        man) need has man man-db ;;
        bench) need test -x /usr/bin/time time; need has datamash datamash ;;
        windows) need has x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
                 need test -f /usr/src/googletest/CMakeLists.txt googletest
                 need has wine wine; need has zip zip ;;
        fuzzer) need has clang clang; need has_libfuzzer libclang-rt-dev ;;
        browser) need has chromium chromium
                 need test -f /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc fonts-noto-cjk ;;
        *) echo "ensure-deps: unknown need '$want'" >&2; exit 2 ;;
    esac
done

[ ${#packages[@]} -eq 0 ] && exit 0

cmd=(apt-get install -y --no-install-recommends "${packages[@]}")
if [ "$(id -u)" -eq 0 ]; then
    runner=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    runner=(sudo)
else
    echo "Missing: ${packages[*]}. Install them with:" >&2
    echo "  sudo apt-get update && sudo ${cmd[*]}" >&2
    exit 1
fi
if ! command -v apt-get >/dev/null 2>&1; then
    echo "Missing: ${packages[*]}, and this machine has no apt-get; install them with its package manager." >&2
    exit 1
fi
echo "Installing: ${packages[*]}"
export DEBIAN_FRONTEND=noninteractive
"${runner[@]}" apt-get update -q
"${runner[@]}" "${cmd[@]}"
