#!/usr/bin/env bash
# Checks the Debian package made from an already built tree: the desktop
# entry and the AppStream metadata validate, the package has the expected
# name, version, dependencies and files (and nothing of the tests), every
# library of the packaged program resolves, and the packaged program starts
# and waits at its first dialog. Usage: check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
src=$(cd "${2:?source dir}" && pwd)
id=jp.klov.Klov
version=$(sed -n 's/^project(KLOV VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

desktop-file-validate "$src/dist/$id.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$src/dist/$id.metainfo.xml" || fail "metainfo does not validate"

(cd "$build" && cpack -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb=$tmp/pkg/klov_${version}_${arch}.deb
[[ -f "$deb" ]] || fail "no $(basename "$deb") made: $(ls "$tmp/pkg")"

dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb cannot read $deb"
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == klov ]] || fail "package name $(field Package)"
[[ $(field Version) == "$version" ]] || fail "version $(field Version), project $version"
depends=$(field Depends)
for dep in fonts-ipafont-gothic fonts-ipafont-mincho postgresql-client qt6-translations-l10n libqt6widgets6 libpq5; do
  [[ ",$depends," =~ [,\ ]$dep[\ ,\(] ]] || fail "Depends lacks $dep: $depends"
done

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
expected=(usr/bin/klov usr/bin/klov-upgrade-db
          "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml"
          "usr/share/icons/hicolor/scalable/apps/$id.svg" "usr/share/icons/hicolor/128x128/apps/$id.png"
          usr/share/klov/help/index.html usr/share/doc/klov/README
          usr/share/klov/sql/schema.sql usr/share/klov/sql/upgrade.sql
          usr/share/klov/sql/qarn.sql usr/share/klov/sql/demo.sql)
for f in "${expected[@]}"; do
  grep -qx "\./$f" <<<"$contents" || fail "package lacks /$f"
done
if stray=$(grep -E '/(test_|bench_)[^/]*$|\.a$|/include/|gtest' <<<"$contents"); then
  fail "package holds build-only files: $stray"
fi

root=$tmp/root
dpkg-deb -x "$deb" "$root"
exe=$root/usr/bin/klov
if missing=$(ldd "$exe" | grep 'not found'); then
  fail "unresolved libraries: $missing"
fi
# The installed program finds the installed user guide and SQL.
[[ -s "$root/usr/share/klov/help/index.html" ]] || fail "empty user guide"
grep -q 'share/klov/sql/upgrade.sql' "$root/usr/bin/klov-upgrade-db" || fail "klov-upgrade-db does not look for the installed SQL"

# With no klov.ini the program asks for the database settings and waits
# there: timeout ending it (124) is the pass; any other end is a failure.
home=$tmp/home
mkdir -p "$home"; mkdir -m 700 "$tmp/run"
set +e
env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$tmp/run" \
    QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 timeout 5 "$exe" >"$tmp/run.log" 2>&1
rc=$?
set -e
[[ $rc -eq 124 ]] || { cat "$tmp/run.log" >&2; fail "packaged klov ended with $rc instead of waiting at its first dialog"; }
[[ ! -e "$home/data/KLOV/klov.ini" ]] || fail "klov wrote klov.ini before the dialog was answered"
echo "check_package: $(basename "$deb") ok ($(stat -c %s "$deb") bytes)"
