#!/usr/bin/env bash
# Builds the program and opens its window. Installs the Debian packages it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/plain --target colvero colvero-check
exec build/plain/ui/colvero "$@"
