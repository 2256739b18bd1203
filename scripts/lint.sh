#!/usr/bin/env bash
# Static checks: cppcheck over the sources, clang-format over everything.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
clang-format --dry-run --Werror $files
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ \
  --enable=warning,performance,portability \
  --suppress=missingIncludeSystem --inline-suppr \
  -D_WIN32 -I src -I res src
echo "lint: clean"
