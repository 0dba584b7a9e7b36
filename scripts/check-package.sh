#!/usr/bin/env bash
# Builds the Debian package from a release build and checks it as an administrator would meet
# it: its contents and computed dependencies, the installed vantor-count counting the bundled
# sample, every manual page, the bash completion, the desktop file and the AppStream metadata.
# As root it also installs the package with apt-get, runs it and purges it again, and checks
# that nothing of it is left behind.
#
#   scripts/check-package.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build/release}" && pwd)"

fail() { echo "check-package: $*" >&2; exit 1; }

rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
deb="$(ls "$build"/package/vantor_*.deb)"
echo "package: $(basename "$deb")"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libldap' || fail "no computed dependency on libldap"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no computed dependency on Qt"

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for path in usr/bin/vantor usr/bin/vantor-count usr/share/man/man1/vantor.1.gz \
  usr/share/man/man1/vantor-count.1.gz usr/share/bash-completion/completions/vantor-count \
  usr/share/bash-completion/completions/vantor usr/share/applications/vantor.desktop \
  usr/share/icons/hicolor/scalable/apps/vantor.svg usr/share/icons/hicolor/256x256/apps/vantor.png \
  usr/share/metainfo/org.quillon.vantor.metainfo.xml; do
  [ -e "$root/$path" ] || fail "the package lacks /$path"
done

# The installed counter counts the sample compiled into it.
report="$("$root/usr/bin/vantor-count" --quiet)" || fail "vantor-count on the bundled sample failed"
grep -q '^User objects -- Total: [1-9]' <<<"$report" || fail "vantor-count counted no users"
"$root/usr/bin/vantor-count" --version | grep -qx "vantor-count [0-9.]*" || fail "no --version"

for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  MANWIDTH=80 man -l "$page" | grep -q 'EXIT STATUS' || fail "$(basename "$page") has no exit status"
done

# What Tab offers after a partial option and after --kind.
complete_words() {
  bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _vantor_count; echo "${COMPREPLY[*]}"' _ \
    "$root/usr/share/bash-completion/completions/vantor-count" "$@"
}
[ "$(complete_words vantor-count --ki)" = "--kind" ] || fail "completion of --ki"
[ "$(complete_words vantor-count --kind "")" = "users servers groups partitions all" ] ||
  fail "completion of --kind"

desktop-file-validate "$root/usr/share/applications/vantor.desktop"
appstreamcli validate --no-net --strict "$root/usr/share/metainfo/org.quillon.vantor.metainfo.xml" \
  >/dev/null || appstreamcli validate --no-net --strict \
  "$root/usr/share/metainfo/org.quillon.vantor.metainfo.xml" || fail "AppStream metadata"

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W vantor >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
  files="$(dpkg-query -L vantor | while read -r f; do [ -d "$f" ] || echo "$f"; done)"
  /usr/bin/vantor-count --quiet --kind groups >/dev/null || fail "the installed vantor-count failed"
  man -w vantor-count >/dev/null || fail "man vantor-count finds no page"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -q vantor >/dev/null
  while read -r f; do
    [ ! -e "$f" ] || fail "left behind after purge: $f"
  done <<<"$files"
  echo "installed with apt-get, ran, purged: nothing left"
fi
echo "check-package: the package is complete"
