#!/usr/bin/env bash
# The build people make: GCC, Release, without the tests and benchmarks (and without GoogleTest or
# Google Benchmark installed, as far as CMake can tell), into build-release/; then the Debian
# package, installed on this machine with what it depends on, and the README's main job run by
# the installed programs in an empty folder. With --clean-root, the package is installed into a
# fresh Debian 12 root made by debootstrap instead, a machine with nothing else on it (slow: it
# downloads the base system). Warnings are errors here, as in CI. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
clean_root=false
[ "${1:-}" = "--clean-root" ] && clean_root=true

# The command line alone needs neither Qt, GoogleTest nor Google Benchmark: configuring it with
# all three hidden from CMake must work.
cmake --no-warn-unused-cli -S . -B build-release/cli-only -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKAL_TESTS=OFF \
  -DBRISKAL_DESKTOP=OFF -DBRISKAL_BENCHMARKS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
echo "package: the command line alone configures without Qt, GoogleTest and Google Benchmark"

cmake --no-warn-unused-cli -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKAL_WERROR=ON \
  -DCMAKE_UNITY_BUILD="${BRISKAL_UNITY:-ON}" -DBRISKAL_TESTS=OFF -DBRISKAL_BENCHMARKS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-release --parallel "$(nproc)"
rm -f build-release/briskal_*.deb
(cd build-release && cpack -G DEB >/dev/null)
package=$(ls "$PWD"/build-release/briskal_*.deb)
echo "package: $(basename "$package"), $(du -k "$package" | cut -f1) KB"

# The README's main job, with the programs as installed, in a folder of its own.
main_job='cd "$(mktemp -d)" && briskal demo-db --out briskal.db --force >/dev/null &&
  briskal print --where "Numero doc.=1..25" --basis custom --labels 2 --label custom --out labels.pdf &&
  head -c 5 labels.pdf | grep -q "%PDF-" && briskal-desktop --help >/dev/null && echo "package: the main job printed labels.pdf"'
export DEBIAN_FRONTEND=noninteractive
if $clean_root; then
  root=$(mktemp -d /var/tmp/briskal-root.XXXXXX)
  trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$root"' EXIT
  command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
  cp "$package" "$root/tmp/"
  mount -t proc proc "$root/proc"
  chroot "$root" apt-get update -qq
  chroot "$root" apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$package")" >/dev/null
  chroot "$root" env QT_QPA_PLATFORM=offscreen bash -c "$main_job"
else
  apt-get install -y -qq --no-install-recommends --reinstall "$package" >/dev/null
  QT_QPA_PLATFORM=offscreen bash -c "$main_job"
fi
