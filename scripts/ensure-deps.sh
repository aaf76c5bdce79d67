#!/usr/bin/env bash
# Makes sure the tools a make target needs are on this machine. Each argument
# names a need; what is missing is installed with apt-get (as root, or through
# sudo without a password), or the exact command to run is printed and the
# script fails. Another package manager's lock is waited for, up to five
# minutes, instead of failing at once.
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
        compiler) need has g++ g++
                  need test -f /usr/include/boost/math/distributions/students_t.hpp libboost-dev ;;
        cmake) need has cmake cmake ;;
        gtest) need has_gtest libgtest-dev ;;
        python) need has python3 python3; need python3 -c 'import mpmath' python3-mpmath ;;
        lint) need has clang-tidy clang-tidy; need has clang-format clang-format
              need has cppcheck cppcheck ;;
        package) need has dpkg-deb dpkg; need has dpkg-shlibdeps dpkg-dev ;;
        man) need has man man-db ;;
        bench) need test -x /usr/bin/time time; need has datamash datamash; need has mlr miller
               need has valgrind valgrind ;;
        windows) need has x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
                 need test -f /usr/src/googletest/CMakeLists.txt googletest
                 need has wine wine; need has zip zip ;;
        fuzzer) need has clang clang; need has_libfuzzer libclang-rt-dev ;;
        valgrind) need has valgrind valgrind ;;
        browser) need has chromium chromium
                 need test -f /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc fonts-noto-cjk ;;
        *) echo "ensure-deps: unknown need '$want'" >&2; exit 2 ;;
    esac
done

[ ${#packages[@]} -eq 0 ] && exit 0

lock_wait=300
cmd=(apt-get -o "DPkg::Lock::Timeout=$lock_wait" install -y --no-install-recommends "${packages[@]}")
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
# apt-get update does not wait for the lists' lock (DPkg::Lock::Timeout is
# the install's): it is tried again every few seconds while another holds it.
update_lists() {
    local err waited=0
    err=$(mktemp)
    until "${runner[@]}" apt-get update -q 2>"$err"; do
        if ! grep -q "Could not get lock" "$err" || [ $waited -ge $lock_wait ]; then
            cat "$err" >&2; rm -f "$err"; return 1
        fi
        [ $waited -eq 0 ] && echo "Waiting for another package manager to finish (up to $((lock_wait / 60)) minutes)..."
        sleep 5; waited=$((waited + 5))
    done
    cat "$err" >&2; rm -f "$err"
}

echo "Installing: ${packages[*]}"
export DEBIAN_FRONTEND=noninteractive
update_lists
"${runner[@]}" "${cmd[@]}"
