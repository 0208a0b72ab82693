#!/usr/bin/env bash
# Builds the Debian package of the program (with Debian's hardening flags) and checks it
# with lintian. The package lands in build-package/ and its path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
# The flags are read when the folder is configured the first time only.
rm -f build-package/CMakeCache.txt
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKAVIO_BENCH=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
rm -f build-package/*.deb
(cd build-package && cpack >/dev/null)
deb=$(ls build-package/*.deb)

# Errors fail the build; warnings and notes are shown.
lintian_out=$(lintian --pedantic --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
[[ -n "$lintian_out" ]] && echo "$lintian_out"
if grep -q '^E: ' <<<"$lintian_out"; then
  echo "lintian meldet Fehler im Paket $deb" >&2
  exit 1
fi
echo "Paket: $(pwd)/$deb"
