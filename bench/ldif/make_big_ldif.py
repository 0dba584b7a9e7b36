#!/usr/bin/env python3
"""Writes a large LDIF export for the load benchmark, shaped like slapcat output: parents
first, lines folded at 76 columns, a few base64 values, users, groups and servers spread over
nested containers with partition roots. Fixed seed: the same arguments write the same file.

    python3 bench/ldif/make_big_ldif.py PATH ENTRIES [CONTAINERS]

CONTAINERS (default 1111, at least 112): an organisation, 10 regions and 100 cities, and the
rest departments spread over the cities; the other entries are spread over the departments.
"""
import base64
import random
import sys


def fold(line):
    if len(line) <= 76:
        return line + "\n"
    parts = [line[:76]]
    rest = line[76:]
    while rest:
        parts.append(" " + rest[:75])
        rest = rest[75:]
    return "\n".join(parts) + "\n"


def attr(name, value):
    if value != value.strip() or not value.isascii():
        return fold(name + ":: " + base64.b64encode(value.encode()).decode())
    return fold(name + ": " + value)


def entry(out, dn, classes, attrs):
    out.write(attr("dn", dn))
    for c in classes:
        out.write("objectClass: " + c + "\n")
    for name, value in attrs:
        out.write(attr(name, value))
    out.write("entryUUID: %08x-%04x-1041-92b5-05e526eb8dbf\n" % (random.getrandbits(32),
                                                                  random.getrandbits(16)))
    out.write("\n")


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "/tmp/vantor-bench-1000000.ldif"
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    containers = int(sys.argv[3]) if len(sys.argv) > 3 else 1111
    random.seed(7)
    regions = ["Nord", "Süd", "East", "West", "Centre", "Coast", "Hills", "Lakes", "Plains",
               "Islands"]
    departments = max(containers - 111, 1)
    per_city = [departments // 100 + (1 if c < departments % 100 else 0) for c in range(100)]
    per_department = max(total - 111 - departments, 0) // departments
    extra = max(total - 111 - departments, 0) - per_department * departments
    written = 0
    with open(path, "w", encoding="utf-8") as out:
        top = "o=Bench Holdings"
        entry(out, top, ["top", "organization", "partition"], [("o", "Bench Holdings")])
        written += 1
        n = 0
        for r, region in enumerate(regions):
            rdn = "ou=" + region + "," + top
            entry(out, rdn, ["top", "organizationalUnit", "partition"], [("ou", region)])
            written += 1
            for c in range(10):
                city = "l=City %d-%d,%s" % (r, c, rdn)
                entry(out, city, ["top", "locality"], [("l", "City %d-%d" % (r, c))])
                written += 1
                for d in range(per_city[r * 10 + c]):
                    dept = "ou=Department %d & Co,%s" % (d, city)
                    classes = ["top", "organizationalUnit"] + (["partition"] if d == 0 else [])
                    entry(out, dept, classes, [("ou", "Department %d & Co" % d)])
                    written += 1
                    count = per_department + (1 if n < extra else 0)
                    write_objects(out, dept, n, count)
                    written += count
                    n += 1
    print("%s: %d entries, %d containers" % (path, written, 111 + departments))


def write_objects(out, dept, n, count):
    for i in range(count):
        if i % 50 == 0:
            entry(out, "cn=Group %d,%s" % (i, dept), ["top", "groupOfNames"],
                  [("cn", "Group %d" % i), ("member", "cn=User %d,%s" % (i + 1, dept))])
        elif i % 97 == 0:
            entry(out, "cn=FS%d,%s" % (i, dept), ["top", "ncpServer"],
                  [("cn", "FS%d" % i), ("description", "File server %d" % i)])
        else:
            given = random.choice(["Ann", "Björn", "Chloé", "Dev", "Eve", "Farid"])
            entry(out, "cn=User %d,%s" % (i, dept),
                  ["top", "person", "organizationalPerson", "inetOrgPerson"],
                  [("cn", "User %d" % i), ("sn", "User%d" % i), ("givenName", given),
                   ("uid", "u%d-%d" % (n, i)),
                   ("mail", "u%d-%d@bench.example.com" % (n, i)),
                   ("description", "Employee %d of %s" % (i, dept))])


if __name__ == "__main__":
    main()
