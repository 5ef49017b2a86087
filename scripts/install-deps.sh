#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run. Idempotent; run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-tools-dev libqt6opengl6-dev qt6-translations-l10n
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql tdsodbc
  postgresql
  libcairo2-dev libzint-dev libcups2-dev
  libcli11-dev nlohmann-json3-dev libfmt-dev libspdlog-dev
  libgtest-dev libgmock-dev libbenchmark-dev uuid-dev
  fonts-dejavu-core poppler-utils zbar-tools dmtx-utils glabels-data
  cups cups-client lprint xvfb xauth openbox
  clang libclang-rt-14-dev clang-format clang-tidy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Debian's PostgreSQL ODBC entries log every session's traffic to /tmp; nothing here needs that.
if [ "$(id -u)" -eq 0 ] && grep -q '^CommLog=1' /etc/odbcinst.ini 2>/dev/null; then
  sed -i 's/^CommLog=1/CommLog=0/' /etc/odbcinst.ini
fi
echo "install-deps: all packages present"
