#!/usr/bin/env bash
# Builds the program and starts it on a demo installation in ./demo (host software
# settings, host person database, Segmente.mdb with sample courses, Flags.mdb).
# Without a display it runs under Xvfb and saves a screenshot of the main window.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DKAVIO_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"

demo="$root/demo"
rm -rf "$demo"
build/tools/demo/kavio-demo-install "$demo"
cp build/src/KavioSegment "$demo/program/"

export XDG_CONFIG_HOME="$demo/home/.config"
export XDG_CONFIG_DIRS="$demo/etc/xdg"
export KAVIO_DEVICE_DIR="$demo/dev"
mkdir -p "$KAVIO_DEVICE_DIR"
if [[ -x build/tools/device/kavio-device-sim ]]; then
  # The measuring device: a pseudo-terminal pair, the program at COM3, the simulator at the other end.
  socat pty,raw,echo=0,link="$KAVIO_DEVICE_DIR/COM3" pty,raw,echo=0,link="$KAVIO_DEVICE_DIR/device" &
  socat_pid=$!
  trap 'kill $socat_pid 2>/dev/null || true' EXIT
  sleep 0.5
  # The demo host is a multi-frequency installation: the simulator sends 5, 50 and 100 kHz.
  echo "Messgerät-Simulator (in einem zweiten Terminal; Segment an der Eingabeaufforderung eingeben):"
  echo "  $root/build/tools/device/kavio-device-sim $KAVIO_DEVICE_DIR/device --multi"
  echo "Im Programm \"Automatische Messung?\" mit Ja beantworten, Patient und Segment wählen."
fi

cd "$demo/program"
if [[ -n "${DISPLAY:-}" ]]; then
  ./KavioSegment
else
  shot="$demo/screenshot-main.png"
  Xvfb :77 -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:77
  sleep 1
  ./KavioSegment &
  app_pid=$!
  # Without a window manager a window gets the keyboard only when focused explicitly.
  press() { # window-name-pattern key
    local w
    w=$(timeout 15 xdotool search --sync --onlyvisible --name "$1" | tail -1) || true
    [[ -n "$w" ]] && xdotool windowfocus --sync "$w" key "$2" || true
  }
  press 'Willkommen' space      # leave the splash window
  sleep 1
  press '^KavioSegment$' Escape # "Automatische Messung?" -> Nein
  sleep 2
  import -window root "$shot"
  kill $app_pid 2>/dev/null || true
  kill $xvfb_pid 2>/dev/null || true
  echo "Kein Bildschirm vorhanden: Bildschirmfoto des Hauptfensters unter $shot"
fi
