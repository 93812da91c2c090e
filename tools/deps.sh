#!/bin/sh
# Installs what the build and the tests need on Debian 12, skipping what is already there.
set -eu
packages="cmake g++ make qt6-base-dev qt6-qpa-plugins libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation fonts-dejavu-core libgl-dev"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing; run 'make deps' as root (or: sudo apt-get install$missing)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
