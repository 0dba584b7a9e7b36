#!/usr/bin/env bash
# Counts the users of a private slapd, then of a private 389 Directory Server, both on
# 127.0.0.1 and loaded with the same data, with ldapsearch and with vantor-count, the commands
# interleaved round by round (each round's order rotated by one), and prints for each server
# and command the median wall time, its ratio to the unpaged ldapsearch count, the median CPU
# time the server spent on it (from /proc) and the server operations it asked for per container
# (from the server's cn=Monitor).
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
# slapd's database indexes objectClass for equality, as production servers (and slapd's own
# sample configuration) do; VANTOR_BENCH_INDEX=none leaves it unindexed, so that every search
# reads every entry of its scope. 389 indexes objectClass by default.
#
# 389 is started by the server tests' helper, test_directory_server of COUNTER's build folder
# (VANTOR_BENCH_DS389_HELPER names another), and loaded by the server's own import task. Its
# searches are bound as Directory Manager, whom no size or look-through limit bounds. Where 389
# is not installed (or the helper not built) the benchmark says so and times slapd only.
#
# Every run must end without an error and find as many users as the data holds, or the
# benchmark fails. The servers and their files are removed at the end.
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
ds389_helper_pid=""
stop_slapd() {
  if [ -n "$slapd_pid" ]; then
    kill -INT "$slapd_pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$slapd_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$slapd_pid" 2>/dev/null || true
    wait "$slapd_pid" 2>/dev/null || true
    slapd_pid=""
  fi
}
# The helper stops its server and removes its folder at the end of its input.
stop_ds389() {
  if [ -n "$ds389_helper_pid" ]; then
    exec {ds389_stop}>&-
    wait "$ds389_helper_pid" 2>/dev/null || true
    ds389_helper_pid=""
  fi
}
cleanup() {
  stop_slapd
  stop_ds389
  rm -rf "$folder"
}
trap cleanup EXIT

now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

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
echo "data: $expected users in $containers containers"

ticks_per_second="$(getconf CLK_TCK)"
# A process's user and system CPU time so far, in clock ticks (all its threads).
process_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
tables="$folder/tables"
: > "$tables"

# Times every command on one server: SERVER is its name in the table, BIND the ldapsearch and
# vantor-count options that bind to it, PID its process, OPERATIONS a command that prints the
# operations it has completed so far.
measure() {
  local server="$1" uri="$2" bind="$3" pid="$4" operations_of="$5"
  local count="| awk -F, 'NR > 1 { n += \$7 } END { print n }'"
  local -A commands=(
    [ldapsearch]="ldapsearch -x -LLL -H $uri $bind -b o=bench '(objectClass=inetOrgPerson)' 1.1 | grep -c '^dn:'"
    [ldapsearch-paged]="ldapsearch -x -LLL -E pr=1000/noprompt -H $uri $bind -b o=bench '(objectClass=inetOrgPerson)' 1.1 | grep -c '^dn:'"
    [by-container]="'$counter' -H $uri $bind -b o=bench --by-container --quiet --format csv $count"
    [by-partition]="'$counter' -H $uri $bind -b o=bench --quiet --format csv $count"
  )
  local order=(ldapsearch ldapsearch-paged by-container by-partition)
  if [ -n "$other" ]; then
    commands[other-by-container]="'$other' -H $uri $bind -b o=bench --by-container --quiet --format csv $count"
    commands[other-by-partition]="'$other' -H $uri $bind -b o=bench --quiet --format csv $count"
    order+=(other-by-container other-by-partition)
  fi

  # The monitor query's own operations, taken off every measurement.
  local before after query_operations
  before="$($operations_of)"
  after="$($operations_of)"
  query_operations=$((after - before))

  # A run that ends with an error fails the benchmark even when its total is right: a subtree
  # read that failed and was made up for container by container is not the run to time.
  run() {
    bash -o pipefail -c "${commands[$1]}" ||
      { echo "run_ldap_bench: $1 ended with an error on $server" >&2; return 1; }
  }

  local name
  for name in "${order[@]}"; do  # a warm-up run of each: the database is in the cache for all
    run "$name" > /dev/null
  done

  local results="$folder/results-$server" round operations ticks start end found
  : > "$results"
  local rotated
  for round in $(seq "$rounds"); do
    # Each round starts one command further on, so that no command always runs after the same
    # one: a server's background work (389's checkpoints, its cache) then falls on each alike.
    rotated=("${order[@]:$(((round - 1) % ${#order[@]}))}" "${order[@]:0:$(((round - 1) % ${#order[@]}))}")
    for name in "${rotated[@]}"; do
      operations="$($operations_of)"
      ticks="$(process_ticks "$pid")"
      start="$(now)"
      found="$(run "$name")"
      end="$(now)"
      ticks=$(($(process_ticks "$pid") - ticks))
      operations=$(($($operations_of) - operations - query_operations))
      if [ "$found" != "$expected" ]; then
        echo "run_ldap_bench: $name found $found users on $server, not $expected" >&2
        exit 1
      fi
      awk -v n="$name" -v a="$start" -v b="$end" -v t="$ticks" -v hz="$ticks_per_second" \
        -v o="$operations" 'BEGIN { printf "%s %.4f %.4f %d\n", n, b - a, t / hz, o }' >> "$results"
    done
    echo "$server: round $round of $rounds done"
  done

  local base_wall base_cpu wall cpu
  base_wall="$(awk '$1 == "ldapsearch" { print $2 }' "$results" | median)"
  base_cpu="$(awk '$1 == "ldapsearch" { print $3 }' "$results" | median)"
  {
    echo
    echo "$server: medians of $rounds interleaved rounds ($expected users, $containers containers):"
    printf '%-18s %9s %9s %12s %9s %14s\n' command "wall s" "x search" "server CPU s" "x search" "ops/container"
    for name in "${order[@]}"; do
      wall="$(awk -v n="$name" '$1 == n { print $2 }' "$results" | median)"
      cpu="$(awk -v n="$name" '$1 == n { print $3 }' "$results" | median)"
      operations="$(awk -v n="$name" '$1 == n { print $4 }' "$results" | median)"
      awk -v n="$name" -v w="$wall" -v bw="$base_wall" -v c="$cpu" -v bc="$base_cpu" \
        -v o="$operations" -v k="$containers" 'BEGIN {
          printf "%-18s %9.3f %9.2f %12.2f %9.2f %14.3f\n", n, w, w / bw, c, (bc > 0 ? c / bc : 0), o / k }'
    done
  } >> "$tables"
}

free_port() {
  local candidate
  for candidate in $(shuf -i 20000-60000 -n 50); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then echo "$candidate"; return; fi
  done
}

# slapd, loaded offline by slapadd.
start="$(now)"
"$slapadd" -q -f "$folder/slapd.conf" -b o=bench -l "$folder/bench.ldif"
echo "slapd: loaded by slapadd -q in $(seconds_since "$start") s, index: $index"
port="$(free_port)"
slapd_uri="ldap://127.0.0.1:$port"
"$slapd" -d 0 -f "$folder/slapd.conf" -h "$slapd_uri/" > "$folder/slapd.log" 2>&1 &
slapd_pid=$!
for _ in $(seq 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
  sleep 0.05
done
slapd_operations() {
  ldapsearch -x -LLL -H "$slapd_uri" -b "cn=Operations,cn=Monitor" -s base monitorOpCompleted |
    awk '/^monitorOpCompleted:/ { print $2 }'
}
measure slapd "$slapd_uri" "" "$slapd_pid" slapd_operations
stop_slapd

# 389 Directory Server: the helper makes the instance and adds the back end; its import task
# loads the data.
ds389_helper="${VANTOR_BENCH_DS389_HELPER:-$(dirname "$counter")/../../tests/servers/test_directory_server}"
ds389_skipped=""
if [ ! -x "$ds389_helper" ]; then
  ds389_skipped="$ds389_helper is missing (cmake --build --preset release)"
else
  cat > "$folder/ds389-setup.ldif" <<EOF
dn: cn=bench,cn=ldbm database,cn=plugins,cn=config
objectClass: top
objectClass: extensibleObject
objectClass: nsBackendInstance
cn: bench
nsslapd-suffix: o=bench

dn: cn="o=bench",cn=mapping tree,cn=config
objectClass: top
objectClass: extensibleObject
objectClass: nsMappingTree
cn: o=bench
nsslapd-state: backend
nsslapd-backend: bench
EOF
  cat > "$folder/ds389-import.ldif" <<EOF
dn: cn=bench,cn=import,cn=tasks,cn=config
objectClass: top
objectClass: extensibleObject
cn: bench
nsFilename: $folder/bench.ldif
nsInstance: bench
EOF
  mkfifo "$folder/ds389.stop"
  start="$(now)"
  "$ds389_helper" ds389 "$folder/ds389-setup.ldif" < "$folder/ds389.stop" > "$folder/ds389.out" 2>&1 &
  ds389_helper_pid=$!
  exec {ds389_stop}> "$folder/ds389.stop"
  for _ in $(seq 1200); do  # the helper bounds its own waits; this only watches it
    grep -q '^password file:' "$folder/ds389.out" && break
    kill -0 "$ds389_helper_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^password file:' "$folder/ds389.out"; then
    ds389_skipped="$(cat "$folder/ds389.out")"
    stop_ds389
  fi
fi
if [ -n "$ds389_skipped" ]; then
  echo "389 Directory Server: not timed: $ds389_skipped"
else
  ds389_uri="$(awk '/^URI:/ { print $2 }' "$folder/ds389.out")"
  ds389_password="$(awk '/^password file:/ { print $3 }' "$folder/ds389.out")"
  ds389_bind="-D 'cn=Directory Manager' -y '$ds389_password'"
  ds389_pid="$(cat "$(dirname "$ds389_password")/run/ns-slapd.pid")"
  # A back end just added sometimes refuses an import with "Operations error": ask again.
  for attempt in 1 2 3 4 5; do
    ldapadd -x -H "$ds389_uri" -D 'cn=Directory Manager' -y "$ds389_password" \
      -f "$folder/ds389-import.ldif" > "$folder/ds389-import.out" 2>&1 && break
    if [ "$attempt" = 5 ]; then
      echo "run_ldap_bench: 389 refused the import: $(cat "$folder/ds389-import.out")" >&2
      exit 1
    fi
    sleep 1
  done
  ds389_task() {
    ldapsearch -x -LLL -H "$ds389_uri" -D 'cn=Directory Manager' -y "$ds389_password" \
      -b cn=bench,cn=import,cn=tasks,cn=config -s base nsTaskExitCode |
      awk '/^nsTaskExitCode:/ { print $2 }'
  }
  for _ in $(seq 6000); do  # at most ten minutes
    [ -n "$(ds389_task)" ] && break
    sleep 0.1
  done
  if [ "$(ds389_task)" != 0 ]; then
    echo "run_ldap_bench: 389's import did not finish (exit code '$(ds389_task)')" >&2
    exit 1
  fi
  echo "389 Directory Server: started and loaded by its import task in $(seconds_since "$start") s"
  ds389_operations() {
    ldapsearch -x -LLL -H "$ds389_uri" -b cn=monitor -s base opscompleted |
      awk '/^opscompleted:/ { print $2 }'
  }
  measure 389 "$ds389_uri" "$ds389_bind" "$ds389_pid" ds389_operations
  stop_ds389
fi
cat "$tables"
