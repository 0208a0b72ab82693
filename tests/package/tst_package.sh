#!/usr/bin/env bash
# The installed program. With "deb": builds the Debian package from the build folder,
# checks its contents, dependencies and lintian's verdict, and unpacks it into a scratch
# system root. With "prefix": installs the build into a temporary prefix instead. Then
# validates the desktop entry and the AppStream file, writes a demo host installation
# with the installed demo writer, starts the installed program offscreen on it, and
# finds Segmente.mdb under the temporary XDG_DATA_HOME, not beside the executable.
set -euo pipefail
build=$1
mode=$2
app_id=de.kaviosegment.KavioSegment

work=$(mktemp -d)
pid=
cleanup() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FEHLER: $*" >&2
  exit 1
}

root=$work/root
if [[ "$mode" == deb ]]; then
  cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
  }
  deb=$(ls "$work"/cpack/*.deb)
  dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
  for f in bin/KavioSegment bin/kavio-device-sim bin/kavio-demo-install bin/kavio-migrate bin/kavio-gdt-sim \
    share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app_id.svg share/icons/hicolor/16x16/apps/$app_id.png \
    share/icons/hicolor/48x48/apps/$app_id.png share/icons/hicolor/256x256/apps/$app_id.png \
    share/doc/kaviosegment/README.md share/doc/kaviosegment/copyright share/doc/kaviosegment/changelog.gz \
    share/man/man1/KavioSegment.1.gz share/man/man1/kavio-migrate.1.gz share/man/man1/kavio-gdt-sim.1.gz; do
    grep -qx "./usr/$f" "$work/contents" || fail "fehlt im Paket: /usr/$f"
  done
  # Nothing of the build or the tests comes along.
  programs='KavioSegment|kavio-device-sim|kavio-demo-install|kavio-migrate|kavio-gdt-sim'
  unexpected=$(grep -v -x -E "\./usr/(bin/($programs)?|share/.*)?" "$work/contents" || true)
  [[ -z "$unexpected" ]] || fail "unerwartete Dateien im Paket: $unexpected"
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6core6 libqt6widgets6 libqt6charts6 libqt6serialport6 libqt6sql6 libqt6sql6-sqlite \
    libqt6printsupport6 qt6-qpa-plugins libsqlite3-0 libqt6sql6-psql python3; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends ohne $p: $depends"
  done
  recommends=$(dpkg-deb -f "$deb" Recommends)
  grep -qE "(^|, )postgresql-client( |,|$)" <<<"$recommends" || fail "Recommends ohne postgresql-client: $recommends"
  grep -q -- '-dev' <<<"$depends" && fail "Depends nennt Entwicklungspakete: $depends"
  lintian_out=$(lintian --pedantic --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
  grep -q '^E: ' <<<"$lintian_out" && fail "lintian: $lintian_out"
  [[ -n "$lintian_out" ]] && echo "lintian: $lintian_out"
  dpkg-deb -x "$deb" "$root"
else
  cmake --install "$build" --prefix "$root/usr" >/dev/null
fi
usr=$root/usr

desktop-file-validate "$usr/share/applications/$app_id.desktop" | grep -v ': hint: ' && fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 || {
  cat "$work/appstream.log"
  fail "appstreamcli validate"
}

# The installed tools start and explain themselves.
"$usr/bin/kavio-migrate" --help >"$work/migrate.txt" 2>&1 || fail "kavio-migrate --help: $(cat "$work/migrate.txt")"
for usage in --datenbank Segmentdatenbank; do
  grep -q -- "$usage" "$work/migrate.txt" || fail "kavio-migrate --help ohne $usage: $(cat "$work/migrate.txt")"
done
"$usr/bin/kavio-gdt-sim" --help >"$work/gdt.txt" 2>&1 || fail "kavio-gdt-sim --help: $(cat "$work/gdt.txt")"
grep -q -- '--nur-senden' "$work/gdt.txt" || fail "kavio-gdt-sim --help ohne Aufruf: $(cat "$work/gdt.txt")"

# A host installation, then the installed program with an empty per-user data folder.
"$usr/bin/kavio-demo-install" "$work/demo" >/dev/null
export HOME=$work/home XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$work/demo/home/.config XDG_CONFIG_DIRS=$work/demo/etc/xdg KAVIO_DEVICE_DIR=$work/dev
mkdir -p "$HOME" "$KAVIO_DEVICE_DIR"
"$usr/bin/KavioSegment" >"$work/program.log" 2>&1 &
pid=$!
data=$XDG_DATA_HOME/KavioSegment
# The splash window hands over after 5 s; the main window then asks its first question
# and waits, with Segmente.mdb in place.
tables=0
for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || {
    cat "$work/program.log"
    fail "das Programm hat sich beendet"
  }
  if [[ -f "$data/Segmente.mdb" ]]; then
    tables=$(sqlite3 -cmd '.timeout 2000' "$data/Segmente.mdb" \
      "SELECT count(*) FROM sqlite_master WHERE name IN ('Teilnehmer', 'ArmLi', 'BeinRe')" 2>/dev/null || echo 0)
    [[ "$tables" == 3 ]] && break
  fi
  sleep 0.1
done
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

[[ "$tables" == 3 ]] || fail "kein Segmente.mdb mit seinen Tabellen unter $data: $(ls -la "$data" 2>&1)"
[[ "$(stat -c %a "$data")" == 700 ]] || fail "Datenordner $data nicht nur für den Benutzer: $(stat -c %a "$data")"
leftovers=$(find "$usr" -name 'Segmente.mdb' -o -name '*.tmp' -o -name 'Daten.xls')
[[ -z "$leftovers" ]] || fail "Dateien neben dem Programm: $leftovers"
echo "Segmente.mdb angelegt unter $data"
