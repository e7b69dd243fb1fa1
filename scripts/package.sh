#!/usr/bin/env bash
# Builds the Debian package build-package/vitrinex_<version>-1_<arch>.deb (release build, stripped,
# dependencies found by dpkg-shlibdeps). Install it with: apt install ./build-package/vitrinex_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --package
# Only the programs and their documents are installed, so cpack need not build the tests first.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build-package -j2 --target vitrinex vitrinex-cli manpages debian_changelog
cd build-package
cpack -G DEB
ls -1 "$PWD"/vitrinex_*.deb
