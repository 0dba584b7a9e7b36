#!/usr/bin/env python3
"""Writes the bundled sample directory: a fictional organisation as an LDIF content file.

The output is the same on every run (fixed seed, no clock, no environment), so the committed
file only changes when this script does. Run without arguments to rewrite
resources/sample/sample.ldif and the totals in resources/sample/README.md; run with --stats to
print the totals of an existing file.
"""

import argparse
import base64
import random
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
DEFAULT_LDIF = REPO / "resources" / "sample" / "sample.ldif"
DEFAULT_README = REPO / "resources" / "sample" / "README.md"
SEED = 20261207
MAIL_DOMAIN = "talvane.example.com"
TOP = "o=Talvane"
FOLD_WIDTH = 76  # longest physical line; RFC 2849 leaves the width to the writer
CONTAINER_CLASSES = {"organization", "organizationalunit", "country", "locality", "domain",
                     "dcobject", "container"}
README_BEGIN = "<!-- totals: begin -->"
README_END = "<!-- totals: end -->"

GIVEN_NAMES = [
    "Aaron", "Abigail", "Adele", "Adrian", "Agnes", "Aidan", "Alba", "Alec", "Alice", "Alma",
    "Amara", "Amelia", "Anders", "Andrea", "Anika", "Ansel", "Arlo", "Astrid", "Aurora", "Beatrix",
    "Bella", "Benedikt", "Bernard", "Bianca", "Bram", "Brenna", "Caleb", "Camille", "Carla",
    "Casper", "Celia", "Clara", "Colin", "Cora", "Dalia", "Damian", "Daria", "Declan", "Delia",
    "Dominic", "Edda", "Edgar", "Edith", "Elias", "Elin", "Eliza", "Emil", "Enzo", "Esme", "Ethan",
    "Fabian", "Felix", "Fenna", "Fiona", "Flora", "Freya", "Gavin", "Gemma", "Greta", "Hana",
    "Hannes", "Harvey", "Hazel", "Helena", "Henrik", "Hugo", "Ida", "Ines", "Ingrid", "Isaac",
    "Isla", "Ivo", "Jasper", "Jonas", "Julian", "Juno", "Kai", "Karin", "Keira", "Kenji", "Lars",
    "Leah", "Leon", "Lena", "Liam", "Linnea", "Lorna", "Luca", "Lydia", "Maeve", "Magnus", "Maia",
    "Malcolm", "Mara", "Marek", "Matteo", "Mei", "Milo", "Mira", "Nadia", "Naomi", "Nico", "Nina",
    "Noah", "Nora", "Oliver", "Olivia", "Orla", "Oscar", "Paloma", "Pascal", "Petra", "Philippa",
    "Priya", "Quentin", "Rafael", "Rhea", "Rohan", "Rosa", "Rowan", "Ruth", "Sabine", "Samir",
    "Selma", "Silas", "Sofia", "Stellan", "Tamsin", "Tariq", "Thea", "Tobias", "Ulla", "Valentin",
    "Vera", "Viggo", "Wanda", "Wilhelm", "Xavier", "Yara", "Yusuf", "Zara", "Zoltan",
]
# A few names that need base64 in LDIF, as real exports of international staff do.
ACCENTED_GIVEN_NAMES = ["Zoë", "José", "Jürgen", "Søren", "Chloé", "Åsa", "Björn", "Renée"]
SURNAMES = [
    "Abbott", "Achterberg", "Albright", "Alder", "Ashdown", "Auclair", "Bancroft", "Barlow",
    "Beaumont", "Bellamy", "Berglund", "Birch", "Blackwood", "Blom", "Brandt", "Brennan",
    "Caldwell", "Carrick", "Castell", "Chandler", "Coates", "Colby", "Corrigan", "Dahl",
    "Dalton", "Delacroix", "Dempsey", "Devlin", "Draper", "Duval", "Eastwood", "Eckhart",
    "Ellery", "Engel", "Fairbank", "Falk", "Farrow", "Fenwick", "Finch", "Fontaine", "Forsyth",
    "Fraser", "Galloway", "Garland", "Gilmour", "Goodall", "Graves", "Grimshaw", "Hadley",
    "Halvorsen", "Harding", "Hartmann", "Haywood", "Hesketh", "Holm", "Hornby", "Huxley",
    "Ingram", "Iredale", "Jansen", "Jessop", "Kearney", "Keller", "Kendrick", "Kerr", "Kinsella",
    "Lambert", "Langley", "Larkin", "Lindqvist", "Lockwood", "Lund", "Maddox", "Marchetti",
    "Marlow", "Mercer", "Moreau", "Munro", "Nakamura", "Navarro", "Nolan", "Norberg", "Novak",
    "Oakley", "Okafor", "Orwin", "Osei", "Padgett", "Pemberton", "Petrov", "Pike", "Prescott",
    "Quinlan", "Radcliffe", "Ramsey", "Rasmussen", "Redfern", "Rinaldi", "Rowntree", "Sandoval",
    "Saxby", "Schreiber", "Sefton", "Sinclair", "Sorensen", "Stafford", "Strand", "Sutcliffe",
    "Takeda", "Tanaka", "Thorne", "Tindall", "Ueda", "Underhill", "Vance", "Varga", "Verhoeven",
    "Voss", "Wadsworth", "Walcott", "Weller", "Whitlock", "Winter", "Wolff", "Yardley", "Yoshida",
    "Zeller", "Ziegler",
]
TITLES = ["Analyst", "Engineer", "Senior Engineer", "Coordinator", "Specialist", "Technician",
          "Team Lead", "Manager", "Consultant", "Assistant", "Planner", "Administrator"]

# Departments a site may have, each with the teams it may be split into.
DEPARTMENTS = {
    "Sales & Marketing": ["Key Accounts", "Inside Sales", "Marketing Communications",
                          "Trade Shows & Events"],
    "Research and Development": ["Materials Lab", "Prototyping", "Embedded Software",
                                 "Test & Validation"],
    "Engineering": ["Mechanical Design", "Electrical Design", "Process Engineering",
                    "Drawing Office"],
    "Operations": ["Warehouse", "Dispatch", "Fleet", "Shift A", "Shift B"],
    "Finance": ["Accounts Payable", "Accounts Receivable", "Payroll"],
    "Human Resources": ["Recruitment", "Training & Development"],
    "Procurement": ["Raw Materials", "Indirect Purchasing"],
    "Customer Service": ["Order Desk", "Field Service", "Returns & Repairs"],
    "Quality Assurance": ["Inspection", "Certification"],
    "Trading Desk": ["Metals", "Energy", "Freight"],
    "Site Services": ["Facilities", "Health & Safety", "Reception"],
}
ALWAYS_AT_SITE = ["Sales & Marketing", "Operations", "Site Services"]

# Top-level regions below the organisation: (RDN, object classes, partition root?, sites).
# A site is (RDN, size weight, partition root?); SITE_PARTITIONS names departments that are
# partition roots of their own, nested below a partitioned site.
SITE_PARTITIONS = {"l=Houston": "Research and Development"}
REGIONS = [
    ("c=GB", ["country"], True, [("l=London", 1.8, True), ("l=Manchester", 1.0, False),
                                 ("l=Glasgow", 0.7, False), ("l=Aberdeen", 0.5, False)]),
    ("c=DE", ["country"], True, [("l=Hamburg", 1.4, True), ("l=München", 1.0, False),
                                 ("l=Stuttgart", 0.7, False)]),
    ("c=FR", ["country"], False, [("l=Lyon", 0.9, False), ("l=Orléans", 0.5, False),
                                  ("l=Toulouse", 0.6, False)]),
    ("c=CA", ["country"], False, [("l=Montréal", 0.9, True), ("l=Calgary", 0.6, False)]),
    ("c=US", ["country"], False, [("l=Houston", 1.6, True), ("l=Chicago", 0.9, False),
                                 ("l=Seattle", 0.7, False), ("l=Boston", 0.6, False)]),
    ("ou=Asia Pacific", ["organizationalUnit"], True,
     [("l=Singapore", 1.0, True), ("l=Sydney", 0.7, False), ("l=Osaka", 0.6, False),
      ("l=Perth", 0.4, False)]),
]
PROJECTS = ["Falcon", "Harbour Bridge", "Northwind", "Copperline", "Bluewater", "Kestrel",
            "Ironbark", "Meridian", "Tidewater", "Larch", "Summit", "Granite"]


class Entry:
    """One directory entry: its DN and its attributes in the order they are written."""

    def __init__(self, dn, attrs):
        self.dn = dn
        self.attrs = attrs  # list of (name, value)


class Builder:
    """Collects entries in the order a directory export lists them: parents first."""

    def __init__(self, rng):
        self.rng = rng
        self.entries = []
        self.users_by_container = {}
        self.used_uids = set()

    def add(self, dn, attrs):
        self.entries.append(Entry(dn, attrs))

    def container(self, rdn, parent, classes, partition=False, description=None):
        dn = f"{rdn},{parent}"
        attr, value = rdn.split("=", 1)
        attrs = [("objectClass", c) for c in ["top"] + classes]
        if partition:
            attrs.append(("objectClass", "partition"))
        attrs.append((attr, value))
        if description:
            attrs.append(("description", description))
        self.add(dn, attrs)
        return dn

    def person_name(self):
        given_pool = ACCENTED_GIVEN_NAMES if self.rng.random() < 0.02 else GIVEN_NAMES
        return self.rng.choice(given_pool), self.rng.choice(SURNAMES)

    def unique_uid(self, given, surname):
        base = "".join(ch for ch in (given[0] + surname).lower() if ch.isascii() and ch.isalpha())
        uid, n = base, 1
        while uid in self.used_uids:
            n += 1
            uid = f"{base}{n}"
        self.used_uids.add(uid)
        return uid

    def users(self, container_dn, count, locality, department):
        made = self.users_by_container.setdefault(container_dn, [])
        names_here = set()
        for _ in range(count):
            given, surname = self.person_name()
            cn = f"{given} {surname}"
            while cn in names_here:  # RDNs must be unique within their container
                given, surname = self.person_name()
                cn = f"{given} {surname}"
            names_here.add(cn)
            uid = self.unique_uid(given, surname)
            dn = f"cn={cn},{container_dn}"
            attrs = [("objectClass", c) for c in ("top", "person", "organizationalPerson",
                                                   "inetOrgPerson")]
            attrs += [("cn", cn), ("sn", surname), ("givenName", given), ("uid", uid),
                      ("mail", f"{uid}@{MAIL_DOMAIN}")]
            if self.rng.random() < 0.5:
                attrs.append(("title", self.rng.choice(TITLES)))
            if department:
                attrs.append(("departmentNumber", department))
            if locality and self.rng.random() < 0.3:
                attrs.append(("l", locality))
            self.add(dn, attrs)
            made.append(dn)

    def group(self, cn, container_dn, members, unique=False, description=None):
        cls = "groupOfUniqueNames" if unique else "groupOfNames"
        attr = "uniqueMember" if unique else "member"
        attrs = [("objectClass", "top"), ("objectClass", cls), ("cn", cn)]
        if description:
            attrs.append(("description", description))
        attrs += [(attr, m) for m in members]
        self.add(f"cn={cn},{container_dn}", attrs)

    def server(self, cn, container_dn, description):
        self.add(f"cn={cn},{container_dn}",
                 [("objectClass", "top"), ("objectClass", "ncpServer"), ("cn", cn),
                  ("description", description)])

    def users_under(self, dn):
        suffix = "," + dn
        return [u for c, us in self.users_by_container.items()
                if c == dn or c.endswith(suffix) for u in us]


def rdn_value(rdn):
    return rdn.split("=", 1)[1]


def server_code(name):
    letters = "".join(ch for ch in name.upper() if "A" <= ch <= "Z")
    return letters[:3]


def build_department(b, site_dn, site_name, dept, weight, partition):
    """A department with its own staff, some teams below it and its staff group."""
    rng = b.rng
    dept_dn = b.container(f"ou={dept}", site_dn, ["organizationalUnit"], partition)
    b.users(dept_dn, max(1, round(rng.randint(2, 9) * weight)), site_name, dept)
    teams = rng.sample(DEPARTMENTS[dept], rng.randint(0, len(DEPARTMENTS[dept])))
    for team in sorted(teams):
        team_dn = b.container(f"ou={team}", dept_dn, ["organizationalUnit"])
        b.users(team_dn, max(1, round(rng.randint(4, 15) * weight)), site_name, dept)
        team_staff = b.users_under(team_dn)
        if len(team_staff) >= 6 and rng.random() < 0.35:
            b.group(f"{site_name} {team}", team_dn, team_staff)
    staff = b.users_under(dept_dn)
    b.group(f"{site_name} {dept}", dept_dn, rng.sample(staff, min(len(staff), 20)),
            description=f"Staff of {dept}, {site_name}")


def build_site(b, rdn, region_dn, weight, partition, region_label):
    rng = b.rng
    name = rdn_value(rdn)
    site_dn = b.container(rdn, region_dn, ["locality"], partition,
                          description=f"{name} office, {region_label}")
    required = ALWAYS_AT_SITE + ([SITE_PARTITIONS[rdn]] if rdn in SITE_PARTITIONS else [])
    count = 4 + round(4 * weight)
    depts = required + rng.sample([d for d in DEPARTMENTS if d not in required],
                                  count - len(required))
    for d in sorted(depts):
        build_department(b, site_dn, name, d, weight, d == SITE_PARTITIONS.get(rdn))
    code = server_code(name)
    # Larger sites keep their servers in a container of their own; small ones beside the staff.
    servers_dn = site_dn
    if weight >= 0.9:
        servers_dn = b.container("ou=Servers", site_dn, ["organizationalUnit"])
    b.server(f"TLV-{code}-FS1", servers_dn, f"File and print server, {name}")
    if weight >= 0.7:
        b.server(f"TLV-{code}-APP1", servers_dn, f"Application server, {name}")
    if weight >= 1.4:
        b.server(f"TLV-{code}-FS2", servers_dn, f"Second file server, {name}")
    admins = rng.sample(b.users_under(site_dn), 3)
    b.group(f"{name} Site Administrators", site_dn, admins,
            description=f"May manage objects below {name}")


def build_head_office(b, top_dn):
    rng = b.rng
    ho = b.container("ou=Head Office", top_dn, ["organizationalUnit"], partition=True,
                     description="Group head office and shared services")
    for dept in ["Executive", "Finance", "Human Resources", "Legal & Compliance",
                 "Corporate Communications"]:
        dn = b.container(f"ou={dept}", ho, ["organizationalUnit"])
        b.users(dn, rng.randint(6, 18), None, dept)
        b.group(f"Head Office {dept}", dn, b.users_under(dn))
    it = b.container("ou=Information Technology", ho, ["organizationalUnit"])
    b.users(it, 12, None, "Information Technology")
    desk = b.container("ou=Service Desk", it, ["organizationalUnit"])
    b.users(desk, 15, None, "Information Technology")
    servers = b.container("ou=Servers", it, ["organizationalUnit"])
    for n, what in enumerate(["Directory replica", "Directory replica", "Mail gateway",
                              "Backup server", "Print gateway", "Licence server"], start=1):
        b.server(f"TLV-HQ-SRV{n}", servers, what + ", head office")
    # The deepest branch of the tree: six container levels, counting the organisation.
    deep = it
    for rdn in ["ou=Infrastructure", "ou=Data Centre North", "ou=Rack Row C"]:
        deep = b.container(rdn, deep, ["organizationalUnit"])
        b.users(deep, 2, None, "Information Technology")
    b.server("TLV-DCN-NMS1", deep, "Network monitoring, data centre north")
    lab = b.container("dc=testlab", it, ["domain"], description="Test domain of the IT lab")
    b.users(lab, 4, None, "Information Technology")
    b.group("Service Desk", desk, b.users_under(desk))
    it_staff = b.users_under(it)
    for cn in ["Directory Administrators", "Mail Relay Operators", "Backup Operators",
               "Print Operators"]:
        b.group(cn, it, rng.sample(it_staff, rng.randint(3, 8)), unique=True)
    b.container("ou=Archive", ho, ["organizationalUnit"],
                description="Kept empty: objects are moved here before deletion")
    return ho


def build():
    rng = random.Random(SEED)
    b = Builder(rng)
    top_dn = TOP
    b.add(top_dn, [("objectClass", "top"), ("objectClass", "organization"),
                   ("objectClass", "partition"), ("o", "Talvane"),
                   ("description", "Talvane Trading & Engineering Group")])
    build_head_office(b, top_dn)
    for rdn, classes, partition, sites in REGIONS:
        label = rdn_value(rdn)
        region_dn = b.container(rdn, top_dn, classes, partition)
        for site_rdn, weight, site_partition in sites:
            build_site(b, site_rdn, region_dn, weight, site_partition, label)
        if rdn == "c=FR":
            b.container("ou=Former Staff", region_dn, ["organizationalUnit"])
    projects = b.container("ou=Projects", top_dn, ["organizationalUnit"],
                           description="Cross-site project groups")
    everyone = [u for us in b.users_by_container.values() for u in us]
    for name in PROJECTS:
        b.group(f"Project {name}", projects, sorted(rng.sample(everyone, rng.randint(4, 16))))
    b.group("Safety Committee", projects, sorted(rng.sample(everyone, 9)), unique=True)
    return b.entries


def safe_string(value):
    """True when RFC 2849 lets the value be written as it is, without base64."""
    if value == "":
        return True
    if value[0] in " :<" or value[-1] == " ":
        return False
    return all(0 < ord(ch) < 128 and ch not in "\r\n" for ch in value)


def fold(line):
    """Wraps a line at FOLD_WIDTH columns; continuation lines start with one space."""
    if len(line) <= FOLD_WIDTH:
        return [line]
    out = [line[:FOLD_WIDTH]]
    rest = line[FOLD_WIDTH:]
    while rest:
        out.append(" " + rest[:FOLD_WIDTH - 1])
        rest = rest[FOLD_WIDTH - 1:]
    return out


def attr_line(name, value):
    if safe_string(value):
        return f"{name}: {value}"
    return f"{name}:: {base64.b64encode(value.encode('utf-8')).decode('ascii')}"


def write_ldif(entries, path):
    lines = []
    for e in entries:
        lines += fold(attr_line("dn", e.dn))
        for name, value in e.attrs:
            lines += fold(attr_line(name, value))
        lines.append("")
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


def read_ldif(path):
    """Reads back the records of a file written by write_ldif, as (dn, {attr: [values]})."""
    records, physical = [], path.read_text(encoding="ascii").split("\n")
    logical = []
    for line in physical:
        if line.startswith(" ") and logical:
            logical[-1] += line[1:]
        else:
            logical.append(line)
    current = None
    for line in logical + [""]:
        if line == "":
            if current and current[0] is not None:
                records.append(current)
            current = None
            continue
        name, _, rest = line.partition(":")
        value = (base64.b64decode(rest[2:]).decode("utf-8") if rest.startswith(": ")
                 else rest.lstrip(" "))
        if name == "dn":
            current = (value, {})
        elif current is not None:
            current[1].setdefault(name.lower(), []).append(value)
    return records


def totals(records):
    kinds = {"containers": 0, "partition roots": 0, "users (inetOrgPerson)": 0,
             "groups (groupOfNames)": 0, "groups (groupOfUniqueNames)": 0,
             "servers (ncpServer)": 0}
    class_of_kind = {"users (inetOrgPerson)": "inetorgperson",
                     "groups (groupOfNames)": "groupofnames",
                     "groups (groupOfUniqueNames)": "groupofuniquenames",
                     "servers (ncpServer)": "ncpserver"}
    regions = {}
    top = records[0][0]
    depth = {}
    for dn, attrs in records:
        classes = {c.lower() for c in attrs.get("objectclass", [])}
        if classes & CONTAINER_CLASSES:
            kinds["containers"] += 1
        if "partition" in classes:
            kinds["partition roots"] += 1
        for kind, cls in class_of_kind.items():
            if cls in classes:
                kinds[kind] += 1
        if dn != top and dn.endswith("," + top):
            region = dn[: -len(top) - 1].split(",")[-1]
            row = regions.setdefault(region, [0, 0])
            row[0] += "inetorgperson" in classes
            row[1] += bool(classes & CONTAINER_CLASSES)
        depth[dn] = dn.count(",")  # no RDN of this sample holds an escaped comma
    return kinds, regions, max(depth.values()) + 1, len(records)


def stats_markdown(path):
    kinds, regions, deepest, entries = totals(read_ldif(path))
    out = ["| Total | Number |", "|---|---:|"]
    out += [f"| {k} | {v} |" for k, v in kinds.items()]
    out += [f"| entries in all | {entries} |", f"| deepest entry (levels) | {deepest} |", ""]
    out += ["| Top-level region | Users | Containers (region included) |", "|---|---:|---:|"]
    out += [f"| {r} | {u} | {c} |" for r, (u, c) in regions.items()]
    return "\n".join(out) + "\n"


def update_readme(readme, table):
    if not readme.exists():
        return
    text = readme.read_text(encoding="utf-8")
    head, sep, rest = text.partition(README_BEGIN)
    _, sep2, tail = rest.partition(README_END)
    if not sep or not sep2:
        sys.exit(f"{readme}: totals markers not found")
    readme.write_text(f"{head}{README_BEGIN}\n{table}{README_END}{tail}", encoding="utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=Path, default=DEFAULT_LDIF, help="LDIF file to write")
    parser.add_argument("--stats", nargs="?", const=DEFAULT_LDIF, type=Path, metavar="LDIF",
                        help="print the totals of an LDIF file as Markdown tables, write nothing")
    args = parser.parse_args()
    if args.stats:
        sys.stdout.write(stats_markdown(args.stats))
        return
    write_ldif(build(), args.output)
    if args.output == DEFAULT_LDIF:
        update_readme(DEFAULT_README, stats_markdown(args.output))


if __name__ == "__main__":
    main()
