#!/usr/bin/env bash
# Counts the users of a private slapd on 127.0.0.1 with ldapsearch and with vantor-count, the
# commands interleaved round by round, and prints for each the median wall time, its ratio to
# the unpaged ldapsearch count, the median CPU time slapd spent on it (from /proc) and the
# server operations it asked for per container (from slapd's cn=Monitor).
#
#   bench/ldap/run_ldap_bench.sh [COUNTER] [SHAPE] [ROUNDS] [OTHER_COUNTER]
#
# COUNTER  vantor-count to time (default build/release/src/cli/vantor-count)
# SHAPE    o=bench holds regions, each region sites, each site teams, each team users:
#          100k: 10 x 10 x 10 teams of 100 users: 100,000 users, 1,111 containers
#          1m:   10 x 10 x 100 teams of 100 users: 1,000,000 users, 10,111 containers
#          smoke: 2 x 2 x 2 teams of 50 users, a quick check that it all runs
# ROUNDS   how many times each command runs (default 5; at least 3)
# OTHER_COUNTER  another vantor-count (an earlier build, say) timed in the same rounds, by
#          container and by partition
#
# The database indexes objectClass for equality, as production servers (and slapd's own sample
# configuration) do; VANTOR_BENCH_INDEX=none leaves it unindexed, so that every search reads
# every entry of its scope.
#
# Every vantor-count run must find as many users as ldapsearch does, or the benchmark fails.
# The server and its files are removed at the end.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
data="$root/tests/data/ldap"
counter="${1:-$root/build/release/src/cli/vantor-count}"
shape="${2:-100k}"
rounds="${3:-5}"
other="${4:-}"
case "$shape" in
  100k) regions=10 sites=10 teams=10 users=100 ;;
  1m) regions=10 sites=10 teams=100 users=100 ;;
  smoke) regions=2 sites=2 teams=2 users=50 ;;
  *) echo "run_ldap_bench: SHAPE is 100k, 1m or smoke" >&2; exit 2 ;;
esac
if [ "$rounds" -lt 3 ] && [ "$shape" != smoke ]; then
  echo "run_ldap_bench: at least 3 rounds" >&2
  exit 2
fi

slapd="$(command -v slapd || echo /usr/sbin/slapd)"
slapadd="$(command -v slapadd || echo /usr/sbin/slapadd)"
for tool in "$slapd" "$slapadd" "$(command -v ldapsearch || true)" "$counter" ${4:+"$4"}; do
  if [ ! -x "$tool" ]; then
    echo "run_ldap_bench: $tool is missing (scripts/setup.sh; cmake --build --preset release)" >&2
    exit 1
  fi
done

folder="$(mktemp -d "${TMPDIR:-/tmp}/vantor-ldap-bench-XXXXXX")"
slapd_pid=""
cleanup() {
  if [ -n "$slapd_pid" ]; then
    kill -INT "$slapd_pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$slapd_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$slapd_pid" 2>/dev/null || true
    wait "$slapd_pid" 2>/dev/null || true
  fi
  rm -rf "$folder"
}
trap cleanup EXIT

now() { date +%s.%N; }

# The tests' configuration templates, with room for a million entries and the monitor
# database, whose operation counters say what each command asked of the server.
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
  -e "s|@EXTRA@|rootdn \"cn=admin,o=bench\"|" -e "s|^maxsize .*|maxsize 8589934592|" \
  "$data/database.conf.in")"
index="${VANTOR_BENCH_INDEX:-objectClass eq}"
if [ "$index" != none ]; then
  database="$database"$'\n'"index $index"
fi
database="$database"$'\n\ndatabase monitor'
sed -e "s|@SCHEMA_DIR@|$schema_dir|" -e "s|@DATA_DIR@|$data|" -e "s|@FOLDER@|$folder|" \
  -e "s|@MODULES@|$modules|" -e "s|@TLS@||" -e "s|@SIZE_LIMIT@|unlimited|" -e "s|@ACCESS@||" \
  "$data/slapd.conf.in" | awk -v db="$database" '{ if ($0 == "@DATABASES@") print db; else print }' \
  > "$folder/slapd.conf"

awk -v A="$regions" -v B="$sites" -v C="$teams" -v U="$users" 'BEGIN {
  print "dn: o=bench\nobjectClass: organization\no: bench\n"
  for (a = 1; a <= A; a++) {
    pa = "ou=Region " a ",o=bench"
    print "dn: " pa "\nobjectClass: organizationalUnit\nou: Region " a "\n"
    for (b = 1; b <= B; b++) {
      pb = "ou=Site " b "," pa
      print "dn: " pb "\nobjectClass: organizationalUnit\nou: Site " b "\n"
      for (c = 1; c <= C; c++) {
        pc = "ou=Team " c "," pb
        print "dn: " pc "\nobjectClass: organizationalUnit\nou: Team " c "\n"
        for (u = 1; u <= U; u++) {
          uid = "u" a "-" b "-" c "-" u
          print "dn: uid=" uid "," pc "\nobjectClass: inetOrgPerson\nuid: " uid "\ncn: " uid "\nsn: " c "\n"
        }
      }
    }
  }
}' > "$folder/bench.ldif"
containers=$((1 + regions + regions * sites + regions * sites * teams))
expected=$((regions * sites * teams * users))

start="$(now)"
"$slapadd" -q -f "$folder/slapd.conf" -b o=bench -l "$folder/bench.ldif"
rm -f "$folder/bench.ldif"
echo "data: $expected users in $containers containers, index: $index (slapadd -q: $(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }') s)"

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

ticks_per_second="$(getconf CLK_TCK)"
# slapd's user and system CPU time so far, in clock ticks (all its threads).
slapd_ticks() { awk '{ print $14 + $15 }' "/proc/$slapd_pid/stat"; }
# The operations slapd has completed so far, of every kind.
slapd_operations() {
  ldapsearch -x -LLL -H "$uri" -b "cn=Operations,cn=Monitor" -s base monitorOpCompleted |
    awk '/^monitorOpCompleted:/ { print $2 }'
}

declare -A commands=(
  [ldapsearch]="ldapsearch -x -LLL -H $uri -b o=bench '(objectClass=inetOrgPerson)' 1.1 | grep -c '^dn:'"
  [ldapsearch-paged]="ldapsearch -x -LLL -E pr=1000/noprompt -H $uri -b o=bench '(objectClass=inetOrgPerson)' 1.1 | grep -c '^dn:'"
  [by-container]="'$counter' -H $uri -b o=bench --by-container --quiet --format csv | awk -F, 'NR > 1 { n += \$7 } END { print n }'"
  [by-partition]="'$counter' -H $uri -b o=bench --quiet --format csv | awk -F, 'NR > 1 { n += \$7 } END { print n }'"
)
order=(ldapsearch ldapsearch-paged by-container by-partition)
if [ -n "$other" ]; then
  commands[other-by-container]="'$other' -H $uri -b o=bench --by-container --quiet --format csv | awk -F, 'NR > 1 { n += \$7 } END { print n }'"
  commands[other-by-partition]="'$other' -H $uri -b o=bench --quiet --format csv | awk -F, 'NR > 1 { n += \$7 } END { print n }'"
  order+=(other-by-container other-by-partition)
fi

# The monitor query's own operations, taken off every measurement.
before="$(slapd_operations)"
after="$(slapd_operations)"
query_operations=$((after - before))

for name in "${order[@]}"; do  # a warm-up run of each: the database is in the cache for all
  bash -c "${commands[$name]}" > /dev/null
done

results="$folder/results"
: > "$results"
for round in $(seq "$rounds"); do
  for name in "${order[@]}"; do
    operations="$(slapd_operations)"
    ticks="$(slapd_ticks)"
    start="$(now)"
    found="$(bash -c "${commands[$name]}")"
    end="$(now)"
    ticks=$(($(slapd_ticks) - ticks))
    operations=$(($(slapd_operations) - operations - query_operations))
    if [ "$found" != "$expected" ]; then
      echo "run_ldap_bench: $name found $found users, not $expected" >&2
      exit 1
    fi
    awk -v n="$name" -v a="$start" -v b="$end" -v t="$ticks" -v hz="$ticks_per_second" \
      -v o="$operations" 'BEGIN { printf "%s %.4f %.4f %d\n", n, b - a, t / hz, o }' >> "$results"
  done
  echo "round $round of $rounds done"
done

echo
echo "medians of $rounds interleaved rounds ($expected users, $containers containers):"
printf '%-18s %9s %9s %12s %9s %14s\n' command "wall s" "x search" "slapd CPU s" "x search" "ops/container"
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
base_wall="$(awk '$1 == "ldapsearch" { print $2 }' "$results" | median)"
base_cpu="$(awk '$1 == "ldapsearch" { print $3 }' "$results" | median)"
for name in "${order[@]}"; do
  wall="$(awk -v n="$name" '$1 == n { print $2 }' "$results" | median)"
  cpu="$(awk -v n="$name" '$1 == n { print $3 }' "$results" | median)"
  operations="$(awk -v n="$name" '$1 == n { print $4 }' "$results" | median)"
  awk -v n="$name" -v w="$wall" -v bw="$base_wall" -v c="$cpu" -v bc="$base_cpu" \
    -v o="$operations" -v k="$containers" 'BEGIN {
      printf "%-18s %9.3f %9.2f %12.2f %9.2f %14.3f\n", n, w, w / bw, c, (bc > 0 ? c / bc : 0), o / k }'
done
