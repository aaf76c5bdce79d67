#!/usr/bin/env bash
# Static analysis and format check of every C++ source: clang-tidy (with the
# compile commands of the given build folder), cppcheck and clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
mapfile -t sources < <(git ls-files 'app/*.cpp' 'mylib/*.cpp' 'tests/*.cpp' 'fuzz/*.cpp')
mapfile -t all < <(git ls-files '*.cpp' '*.h')

echo "== clang-format"
clang-format --dry-run -Werror "${all[@]}"

echo "== cppcheck"
# useStlAlgorithm is off: a plain loop is this code's way to sum and count.
# unusedStructMember is off in tests: cppcheck does not see GetParam() use them.
cppcheck --enable=warning,style,performance,portability --std=c++17 --language=c++ \
    --library=googletest --inline-suppr --error-exitcode=1 --quiet -I . \
    --suppress=missingIncludeSystem --suppress=useStlAlgorithm \
    --suppress="unusedStructMember:tests/*" "${sources[@]}"

echo "== clang-tidy"
# Only the sources this build compiles: the other platform's layer needs its
# system's headers.
mapfile -t compiled < <(for f in "${sources[@]}"; do
    grep -q "\"file\": \"[^\"]*/$f\"" "$build/compile_commands.json" && echo "$f"; done)
printf '%s\n' "${compiled[@]}" | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet 2>&1 |
    { grep -vE '^[0-9]+ warnings? generated\.$' || true; } | tee "$build/clang-tidy.log"
if grep -qE '(warning|error):' "$build/clang-tidy.log"; then exit 1; fi
echo "lint: clean"
