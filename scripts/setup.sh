#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Idempotent: packages already installed are skipped; run as root.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libldap-dev libsasl2-dev libicu-dev slapd ldap-utils
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
# The test suite starts its own slapd; the package must never configure or start a system server.
echo "slapd slapd/no_configuration boolean true" | debconf-set-selections
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
# Some package versions start slapd anyway when a configuration exists; make sure none runs.
if command -v systemctl >/dev/null 2>&1; then systemctl disable --now slapd >/dev/null 2>&1 || true; fi
service slapd stop >/dev/null 2>&1 || true
