#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only
# those missing), then configures and builds into build/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-translations-l10n libgl-dev libpq-dev libicu-dev libgtest-dev
          postgresql postgresql-client
          fonts-ipafont-gothic fonts-ipafont-mincho
          librsvg2-bin dpkg-dev desktop-file-utils appstream)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  # The demo and the tests run clusters of their own: keep the package from
  # creating and starting a system-wide one.
  if [[ ! -e /etc/postgresql-common/createcluster.conf ]]; then
    "${sudo[@]}" mkdir -p /etc/postgresql-common
    echo "create_main_cluster = false" | "${sudo[@]}" tee /etc/postgresql-common/createcluster.conf >/dev/null
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=${KLOV_BUILD_DIR:-$here/build}
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Targets named on the command line (the demo builds only the program);
# none builds everything, tests included.
if (($#)); then
  cmake --build "$build" -j "$(nproc)" --target "$@"
else
  cmake --build "$build" -j "$(nproc)"
fi
