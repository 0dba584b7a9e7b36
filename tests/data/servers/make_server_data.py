#!/usr/bin/env python3
"""Writes the test directories of the private 389 Directory Server and Samba AD servers.

Each file is applied in order by the test fixture with `ldapmodify -a`, bound as the server's
administrator, so a record without a changetype is an addition:

- ds389.ldif: the back ends and mapping tree under cn=config (a replicated top suffix, so that
  deleted entries stay as tombstones, and two sub-suffixes: one directly under the top, one three
  levels down, below a container with many siblings), the entries (users below a device entry
  among them), then the deletions.
- ds389-sizelimit-500.ldif, ds389-sizelimit-2000.ldif: lower the server-wide size limit to 500
  and put it back to 389's default of 2,000 (applied by tests that need it, not at start).
- samba-ad.ldif: organizational units, users, groups and computers of a domain, objects under
  CN=LostAndFound, an Authorization Manager store with groups, a container with objects below an
  entry of no container class, and five nested units with 62-character names.

The output is the same on every run. Usage: make_server_data.py OUTPUT_FOLDER [--speed]
(--speed: ds389-speed.ldif, 50,000 users in 500 units, for timing by hand).
"""

import sys
from pathlib import Path

BASE_389 = "dc=corp,dc=example"
BASE_AD = "DC=corp,DC=example"
ANONYMOUS_READ = ('(targetattr="*")(version 3.0; acl "anonymous read"; '
                  'allow (read, search, compare) userdn="ldap:///anyone";)')


def entry(dn, *lines):
    return "\n".join([f"dn: {dn}", *lines]) + "\n\n"


def backend(name, suffix, parent=None):
    text = entry(f"cn={name},cn=ldbm database,cn=plugins,cn=config",
                 "objectClass: top", "objectClass: extensibleObject",
                 "objectClass: nsBackendInstance", f"cn: {name}", f"nsslapd-suffix: {suffix}")
    tree = [f'dn: cn="{suffix}",cn=mapping tree,cn=config', "objectClass: top",
            "objectClass: extensibleObject", "objectClass: nsMappingTree", f"cn: {suffix}",
            "nsslapd-state: backend", f"nsslapd-backend: {name}"]
    if parent:
        tree.append(f"nsslapd-parent-suffix: {parent}")
    return text + "\n".join(tree) + "\n\n"


def replica(suffix):
    return entry(f'cn=replica,cn="{suffix}",cn=mapping tree,cn=config', "objectClass: top",
                 "objectClass: nsds5Replica", "objectClass: extensibleObject", "cn: replica",
                 f"nsDS5ReplicaRoot: {suffix}", "nsDS5ReplicaType: 3", "nsDS5Flags: 1",
                 "nsDS5ReplicaId: 1", "nsDS5ReplicaBindDN: cn=replication manager,cn=config")


def ou(dn, *extra):
    name = dn.split(",")[0].split("=", 1)[1]
    return entry(dn, "objectClass: organizationalUnit", f"ou: {name}", *extra)


def people(parent, prefix, count, first=1):
    return "".join(
        entry(f"uid={prefix}{i},{parent}", "objectClass: inetOrgPerson", f"uid: {prefix}{i}",
              f"cn: {prefix} {i}", f"sn: {prefix}") for i in range(first, first + count))


def group_of_names(dn, member):
    name = dn.split(",")[0].split("=", 1)[1]
    return entry(dn, "objectClass: groupOfNames", f"cn: {name}", f"member: {member}")


def ds389():
    root = BASE_389
    region = f"ou=Region,{root}"
    branch = f"ou=Branch,{root}"
    deep = f"ou=Deep,ou=Unit07,{region}"
    text = backend("userRoot", root) + replica(root)
    text += backend("branchRoot", branch, root) + backend("deepRoot", deep, root)

    text += entry(root, "objectClass: top", "objectClass: domain", "dc: corp",
                  f"aci: {ANONYMOUS_READ}")
    # More users than the anonymous size limit (2,000): only paging reaches them all.
    text += ou(f"ou=People,{root}") + people(f"ou=People,{root}", "person", 2105)
    groups = f"ou=Groups,{root}"
    text += ou(groups)
    for name in ("Staff", "Admins", "Auditors"):
        text += group_of_names(f"cn={name},{groups}", f"uid=person1,ou=People,{root}")
    for name in ("Printers", "Badges"):
        text += entry(f"cn={name},{groups}", "objectClass: groupOfUniqueNames", f"cn: {name}",
                      f"uniqueMember: uid=person2,ou=People,{root}")
    text += entry(f"cn=developers,{groups}", "objectClass: posixGroup", "cn: developers",
                  "gidNumber: 5000")
    # Thirty sibling units: a listing of the region takes several pages of a small page size.
    text += ou(region)
    for unit in range(1, 31):
        dn = f"ou=Unit{unit:02d},{region}"
        text += ou(dn) + people(dn, f"unit{unit:02d}-", 3)
    # The two sub-suffixes, each its own back end, published only in nsBackendSuffix.
    text += ou(branch) + people(branch, "branch", 40)
    text += group_of_names(f"cn=Branch Staff,{branch}", f"uid=branch1,{branch}")
    text += group_of_names(f"cn=Branch Leads,{branch}", f"uid=branch2,{branch}")
    text += ou(f"ou=Depot,{branch}") + people(f"ou=Depot,{branch}", "depot", 13)
    text += ou(deep) + people(deep, "deep", 25)
    text += group_of_names(f"cn=Deep Staff,{deep}", f"uid=deep1,{deep}")
    text += ou(f"ou=Lab,{deep}") + people(f"ou=Lab,{deep}", "lab", 20)
    # Entries of no container class with users and a unit below them: a device, in it an
    # application process, in that a unit with a user and a group.
    kiosk = f"cn=Kiosk,{region}"
    panel = f"cn=Panel,{kiosk}"
    desk = f"ou=Desk,{panel}"
    text += entry(kiosk, "objectClass: device", "cn: Kiosk") + people(kiosk, "kiosk", 2)
    text += entry(panel, "objectClass: applicationProcess", "cn: Panel") + people(panel, "panel", 1)
    text += ou(desk) + people(desk, "desk", 1)
    text += group_of_names(f"cn=Desk Staff,{desk}", f"uid=desk1,{desk}")
    # 389's generic container class, holding users.
    services = f"cn=Services,{root}"
    text += entry(services, "objectClass: top", "objectClass: nsContainer", "cn: Services")
    text += people(services, "service", 7)
    # Deleted entries become tombstones: five users and a whole unit.
    retired = f"ou=Retired,{root}"
    text += ou(retired) + people(retired, "retired", 3)
    deletions = [f"uid=person{i},ou=People,{root}" for i in range(2101, 2106)]
    deletions += [f"uid=retired{i},{retired}" for i in range(1, 4)] + [retired]
    text += "".join(entry(dn, "changetype: delete") for dn in deletions)
    return text


def ds389_size_limit(limit):
    return entry("cn=config", "changetype: modify", "replace: nsslapd-sizelimit",
                 f"nsslapd-sizelimit: {limit}", "-")


def ds389_speed():
    root = BASE_389
    text = backend("userRoot", root)
    text += entry(root, "objectClass: top", "objectClass: domain", "dc: corp",
                  f"aci: {ANONYMOUS_READ}")
    text += ou(f"ou=Units,{root}")
    for unit in range(1, 501):
        dn = f"ou=Unit{unit:03d},ou=Units,{root}"
        text += ou(dn) + people(dn, f"u{unit:03d}-", 100)
    return text


def ad_user(parent, name, account):
    return entry(f"CN={name},{parent}", "objectClass: user", f"sAMAccountName: {account}")


def ad_group(parent, name, account):
    return entry(f"CN={name},{parent}", "objectClass: group", f"sAMAccountName: {account}")


def ad_computer(parent, name):
    return entry(f"CN={name},{parent}", "objectClass: computer", f"sAMAccountName: {name}$")


def ad_ou(dn):
    return entry(dn, "objectClass: organizationalUnit")


def samba_ad():
    root = BASE_AD
    offices = f"OU=Offices,{root}"
    text = ad_ou(offices)
    for region in ("North", "South", "East", "West"):
        region_dn = f"OU={region},{offices}"
        text += ad_ou(region_dn)
        for department in ("Sales", "Engineering", "Support"):
            dn = f"OU={department},{region_dn}"
            tag = f"{region[:2]}{department[:3]}".lower()
            text += ad_ou(dn)
            text += "".join(ad_user(dn, f"{tag} user {i}", f"{tag}{i}") for i in range(1, 7))
            text += ad_group(dn, f"{tag} team", f"{tag}team")
            text += ad_computer(dn, f"{tag}-PC1".upper())
    workstations = f"OU=Workstations,{root}"
    text += ad_ou(workstations)
    text += "".join(ad_computer(workstations, f"WS{i:02d}") for i in range(1, 6))
    # Objects filed under another category than their class's: a user as a computer (no kind's
    # filter takes it) and a computer as a person (the users' filter would take it too).
    schema = f"CN=Schema,CN=Configuration,{root}"
    text += entry(f"CN=Kiosk Account,{workstations}", "objectClass: user",
                  "sAMAccountName: kioskaccount", f"objectCategory: CN=Computer,{schema}")
    text += entry(f"CN=KIOSK-PC,{workstations}", "objectClass: computer",
                  "sAMAccountName: KIOSK-PC$", f"objectCategory: CN=Person,{schema}")
    text += ad_ou(f"OU=Empty,{root}")
    # Objects under CN=LostAndFound (class lostAndFound), where AD puts orphans.
    lost = f"CN=LostAndFound,{root}"
    text += ad_user(lost, "Orphan One", "orphan1") + ad_user(lost, "Orphan Two", "orphan2")
    text += ad_group(lost, "Orphan Group", "orphangroup") + ad_computer(lost, "ORPHAN-PC")
    # An Authorization Manager store with an application, each holding a group. Samba refuses
    # the application group types (basic 16, query 32), so these are security groups.
    store = f"CN=Billing Store,CN=Program Data,{root}"
    text += entry(store, "objectClass: msDS-AzAdminManager")
    text += ad_group(store, "Store Readers", "storereaders")
    application = f"CN=Invoices,{store}"
    text += entry(application, "objectClass: msDS-AzApplication")
    text += ad_group(application, "Invoice Clerks", "invoiceclerks")
    # A container below an entry of no container class (the directory service's settings),
    # holding one object of each kind.
    staging = f"CN=Staging,CN=Directory Service,CN=Windows NT,CN=Services,CN=Configuration,{root}"
    text += entry(staging, "objectClass: container")
    text += ad_user(staging, "Staging User", "staginguser")
    text += ad_group(staging, "Staging Group", "staginggroup") + ad_computer(staging, "STAGING-PC")
    # Five nested units of 62-character names, a user in each: full names far over 256.
    parent = root
    for level in range(1, 6):
        name = f"Level {level} Regional Operations and Facilities Management Sections"
        assert len(name) == 62
        parent = f"OU={name},{parent}"
        text += ad_ou(parent) + ad_user(parent, f"Deep User {level}", f"deepuser{level}")
    return text


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    files = {"ds389.ldif": ds389, "ds389-sizelimit-500.ldif": lambda: ds389_size_limit(500),
             "ds389-sizelimit-2000.ldif": lambda: ds389_size_limit(2000),
             "samba-ad.ldif": samba_ad}
    if "--speed" in sys.argv[2:]:
        files = {"ds389-speed.ldif": ds389_speed}
    for name, make in files.items():
        (out / name).write_text(make(), encoding="ascii")


if __name__ == "__main__":
    main()
