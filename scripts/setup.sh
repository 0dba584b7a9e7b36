#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Idempotent: packages already installed are skipped; run as root.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libldap-dev libsasl2-dev libicu-dev nlohmann-json3-dev slapd ldap-utils
  389-ds-base samba-ad-dc samba-ad-provision
  xvfb xauth fonts-liberation2 poppler-utils
  clang clang-format clang-tidy libclang-rt-14-dev
  python3
  dpkg-dev file appstream desktop-file-utils bash-completion man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# The test suite starts its own directory servers (slapd, 389 Directory Server, Samba) in
# temporary folders: no package may configure or start a system server. slapd is told not to
# configure itself; a policy that refuses every service start covers the installation.
echo "slapd slapd/no_configuration boolean true" | debconf-set-selections
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' > "$policy"
  chmod 755 "$policy"
  trap 'rm -f "$policy"' EXIT
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
# Some package versions start a server anyway; make sure none runs, now or at boot.
for service in slapd smbd nmbd winbind samba-ad-dc; do
  if command -v systemctl >/dev/null 2>&1; then systemctl disable --now "$service" >/dev/null 2>&1 || true; fi
  service "$service" stop >/dev/null 2>&1 || true
  update-rc.d "$service" disable >/dev/null 2>&1 || true
done
