#!/usr/bin/env bash
# Loads 100,000 users in 1,000 organizational units (10 x 10 x 10 under o=bench, 100 users in
# each unit of the third level) into a private slapd on 127.0.0.1 and times counting them:
# ldapsearch's DN-only subtree count, and vantor-count by container when it is built.
#
#   bench/ldap/count-100k.sh [path/to/vantor-count]
#
# The counter defaults to build/release/src/cli/vantor-count; without it only ldapsearch is
# timed. The server and its files are removed at the end.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
data="$root/tests/data/ldap"
counter="${1:-$root/build/release/src/cli/vantor-count}"

slapd="$(command -v slapd || echo /usr/sbin/slapd)"
slapadd="$(command -v slapadd || echo /usr/sbin/slapadd)"
for tool in "$slapd" "$slapadd" "$(command -v ldapsearch || true)"; do
  if [ ! -x "$tool" ]; then
    echo "count-100k: slapd, slapadd and ldapsearch are needed (scripts/setup.sh)" >&2
    exit 1
  fi
done

folder="$(mktemp -d "${TMPDIR:-/tmp}/vantor-bench-XXXXXX")"
slapd_pid=""
cleanup() {
  if [ -n "$slapd_pid" ]; then
    kill -INT "$slapd_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$slapd_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$slapd_pid" 2>/dev/null || true
    wait "$slapd_pid" 2>/dev/null || true
  fi
  rm -rf "$folder"
}
trap cleanup EXIT

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# The same configuration templates as the tests' server.
schema_dir=""
for d in /etc/ldap/schema /etc/openldap/schema /usr/local/etc/openldap/schema; do
  if [ -f "$d/core.schema" ]; then schema_dir="$d"; break; fi
done
modules=""
for d in /usr/lib/ldap /usr/lib/openldap /usr/lib64/openldap /usr/libexec/openldap; do
  if [ -f "$d/back_mdb.la" ]; then modules="modulepath $d\nmoduleload back_mdb"; break; fi
done
mkdir -p "$folder/db"
database="$(sed -e "s|@SUFFIX@|o=bench|" -e "s|@DIRECTORY@|$folder/db|" \
  -e "s|@EXTRA@|rootdn \"cn=admin,o=bench\"|" "$data/database.conf.in")"
sed -e "s|@SCHEMA_DIR@|$schema_dir|" -e "s|@DATA_DIR@|$data|" -e "s|@FOLDER@|$folder|" \
  -e "s|@MODULES@|$modules|" -e "s|@TLS@||" -e "s|@SIZE_LIMIT@|unlimited|" -e "s|@ACCESS@||" \
  "$data/slapd.conf.in" | awk -v db="$database" '{ if ($0 == "@DATABASES@") print db; else print }' \
  > "$folder/slapd.conf"

awk 'BEGIN {
  print "dn: o=bench\nobjectClass: organization\no: bench\n"
  for (a = 1; a <= 10; a++) {
    pa = "ou=Region " a ",o=bench"
    print "dn: " pa "\nobjectClass: organizationalUnit\nou: Region " a "\n"
    for (b = 1; b <= 10; b++) {
      pb = "ou=Site " b "," pa
      print "dn: " pb "\nobjectClass: organizationalUnit\nou: Site " b "\n"
      for (c = 1; c <= 10; c++) {
        pc = "ou=Team " c "," pb
        print "dn: " pc "\nobjectClass: organizationalUnit\nou: Team " c "\n"
        for (u = 1; u <= 100; u++) {
          uid = "u" a "-" b "-" c "-" u
          print "dn: uid=" uid "," pc "\nobjectClass: inetOrgPerson\nuid: " uid "\ncn: " uid "\nsn: " c "\n"
        }
      }
    }
  }
}' > "$folder/bench.ldif"

start="$(now)"
"$slapadd" -q -f "$folder/slapd.conf" -b o=bench -l "$folder/bench.ldif"
echo "load (slapadd -q, 101,111 entries): $(seconds "$start" "$(now)") s"

port=""
for candidate in $(shuf -i 20000-60000 -n 50); do
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then port="$candidate"; break; fi
done
uri="ldap://127.0.0.1:$port"
"$slapd" -d 0 -f "$folder/slapd.conf" -h "$uri/" > "$folder/slapd.log" 2>&1 &
slapd_pid=$!
for _ in $(seq 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
  sleep 0.05
done

start="$(now)"
count="$(ldapsearch -LLL -x -H "$uri" -b o=bench -s sub '(objectClass=inetOrgPerson)' 1.1 | grep -c '^dn:')"
echo "ldapsearch subtree DN count: $count users in $(seconds "$start" "$(now)") s"

# vantor-count: one one-level search and one container listing per unit, through the engine.
if [ -x "$counter" ]; then
  start="$(now)"
  status=0
  "$counter" -H "$uri" -b o=bench --by-container --quiet --format csv > "$folder/count.csv" || status=$?
  total="$(awk -F, 'NR > 1 { sum += $7 } END { print sum }' "$folder/count.csv")"
  echo "vantor-count --by-container: exit $status in $(seconds "$start" "$(now)") s," \
    "$(($(wc -l < "$folder/count.csv") - 1)) result lines, $total users"
  start="$(now)"
  status=0
  "$counter" -H "$uri" -b o=bench --quiet --format csv > "$folder/partitions.csv" || status=$?
  total="$(awk -F, 'NR > 1 { sum += $7 } END { print sum }' "$folder/partitions.csv")"
  echo "vantor-count by partition: exit $status in $(seconds "$start" "$(now)") s, $total users"
else
  echo "vantor-count: not built at $counter (cmake --preset release && cmake --build build/release --target vantor-count)"
fi
