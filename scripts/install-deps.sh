#!/usr/bin/env bash
# Installs the Debian packages the program needs to build and run (with --package, to
# build its Debian package; with --test, to run its tests, the package test included).
# Only what is missing is installed.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ make ccache qt6-base-dev libqt6opengl6-dev qt6-charts-dev
            qt6-serialport-dev libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n libsqlite3-dev libbenchmark-dev fonts-dejavu-core
            socat xvfb xauth xdotool imagemagick)
package_pkgs=(dpkg-dev file lintian)
test_pkgs=(poppler-utils sqlite3 postgresql postgresql-common python3 python3-xlrd tidy libxlsxwriter-dev desktop-file-utils appstream cups-daemon cups-client)

pkgs=("${build_pkgs[@]}")
if [[ "${1:-}" == "--package" ]]; then
  pkgs+=("${package_pkgs[@]}")
fi
if [[ "${1:-}" == "--test" ]]; then
  pkgs+=("${package_pkgs[@]}" "${test_pkgs[@]}")
  # The spreadsheet round trip through LibreOffice runs in CI only (about 100 MB).
  if [[ -n "${CI:-}" ]]; then pkgs+=(libreoffice-calc-nogui); fi
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installiere: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
