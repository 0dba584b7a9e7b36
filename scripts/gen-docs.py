#!/usr/bin/env python3
"""Makes the programs' --help texts, manual pages, bash completions and the README's option
table from doc/commands.toml, so that none of them can disagree with the others.

  gen-docs.py header OUT.h VERSION              both programs' --help texts and the version
  gen-docs.py man PROGRAM OUT.1.gz VERSION DATE the manual page, gzipped
  gen-docs.py completion PROGRAM OUT            the bash completion
  gen-docs.py readme README.md [--check]        rewrite (or only check) the README's table
"""
import gzip
import pathlib
import re
import sys
import textwrap
import tomllib

SOURCE = pathlib.Path(__file__).resolve().parent.parent / "doc" / "commands.toml"
HELP_WIDTH = 96
HELP_COLUMN = 25
README_BEGIN = "<!-- options: made by scripts/gen-docs.py from doc/commands.toml; edit there -->"
README_END = "<!-- options end -->"


def load():
    with open(SOURCE, "rb") as f:
        return tomllib.load(f)


def for_program(items, program):
    return [item for item in items if program in item["programs"]]


def exit_statuses(doc, program):
    return sorted(for_program(doc["exit"], program), key=lambda e: e["status"])


def label(option):
    text = ", ".join(option["flags"])
    return text + (" " + option["arg"] if "arg" in option else "")


def paragraph(text):
    return " ".join(text.split())


# --help ------------------------------------------------------------------------------------

def help_entries(doc, program):
    """(title, entries) per block of --help: the operands first, then each option group."""
    operands = doc["program"][program].get("operands", [])
    if operands:
        yield "Arguments", [{"flags": [o["name"]], "help": o["help"]} for o in operands]
    for group in for_program(doc["group"], program):
        yield group["title"], group["option"]


def help_text(doc, program):
    info = doc["program"][program]
    out = [f"Usage: {info['synopsis']}", ""]
    out += [info["help_intro"].strip(), ""]
    for title, entries in help_entries(doc, program):
        out.append(title + ":")
        for option in entries:
            head = "  " + label(option)
            head = head.ljust(HELP_COLUMN) if len(head) < HELP_COLUMN - 1 else head + "  "
            lines = textwrap.wrap(paragraph(option["help"]), HELP_WIDTH - len(head))
            out.append(head + lines[0])
            rest = textwrap.wrap(" ".join(lines[1:]), HELP_WIDTH - HELP_COLUMN)
            out += [" " * HELP_COLUMN + line for line in rest]
        out.append("")
    if info["help_outro"].strip():
        out += [info["help_outro"].strip(), ""]
    statuses = exit_statuses(doc, program)
    if len(statuses) > 1:
        out.append("Exit status:")
        out += [f"  {e['status']}  {e['meaning']}" for e in statuses]
        out.append("")
    return "\n".join(out)


def cxx_raw(text):
    assert ')"' not in text
    return 'R"(' + text + ')"'


def write_header(path, version):
    doc = load()
    texts = {p: help_text(doc, p) for p in doc["program"]}
    body = f"""#pragma once
// Made by scripts/gen-docs.py from doc/commands.toml at build time; edit that file instead.

#include <string_view>

namespace vantor {{

inline constexpr std::string_view kProgramVersion = "{version}";
inline constexpr std::string_view kVantorCountUsage = {cxx_raw(texts['vantor-count'])};
inline constexpr std::string_view kVantorUsage = {cxx_raw(texts['vantor'])};

}}  // namespace vantor
"""
    write_if_changed(path, body.encode())


# manual pages ------------------------------------------------------------------------------

def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return re.sub(r"^([.'])", r"\\&\1", text, flags=re.M)


def roff_paragraphs(text):
    return "\n.PP\n".join(roff(paragraph(p)) for p in text.strip().split("\n\n"))


def man_page(doc, program, version, date):
    info = doc["program"][program]
    operands = info.get("operands", [])
    others = [p for p in doc["program"] if p != program]
    out = [
        f'.TH {program.upper()} 1 "{date}" "Quillon Vantor {version}" "User Commands"',
        ".SH NAME",
        f"{roff(program)} \\- {roff(info['summary'])}",
        ".SH SYNOPSIS",
        f".B {roff(program)}",
        "[\\fIOPTIONS\\fR]" + "".join(f" [\\fI{roff(o['name'])}\\fR]" for o in operands),
        ".SH DESCRIPTION",
        roff_paragraphs(info["description"]),
        ".SH OPTIONS",
    ]
    for operand in operands:
        out += [".TP", f"\\fI{roff(operand['name'])}\\fR", roff(paragraph(operand["help"]))]
    for group in for_program(doc["group"], program):
        out.append(f'.SS "{roff(group["title"])}"')
        for option in group["option"]:
            flags = ", ".join(f"\\fB{roff(f)}\\fR" for f in option["flags"])
            arg = f" \\fI{roff(option['arg'])}\\fR" if "arg" in option else ""
            out += [".TP", flags + arg, roff(paragraph(option.get("man", option["help"])))]
    statuses = exit_statuses(doc, program)
    out.append('.SH "EXIT STATUS"')
    for e in statuses:
        out += [".TP", f".B {e['status']}", roff(e["meaning"])]
    out.append(".SH ENVIRONMENT")
    for e in doc["environment"]:
        out += [".TP", f".B {roff(e['name'])}", roff(e["meaning"])]
    out.append(".SH FILES")
    for f in doc["file"]:
        out += [".TP", f".I {roff(f['path'])}", roff(f["meaning"])]
    out.append(".SH EXAMPLES")
    for e in for_program(doc["example"], program):
        out += [".TP", f".B {roff(e['command'])}", roff(e["meaning"])]
    pages = [f"{p}(1)" for p in others]
    for s in for_program(doc["see_also"], program):
        pages += s["pages"]
    out.append('.SH "SEE ALSO"')
    out.append(", ".join(f"\\fB{roff(p.split('(')[0])}\\fR({p.split('(')[1]}" for p in pages))
    return "\n".join(out) + "\n"


def write_man(program, path, version, date):
    page = man_page(load(), program, version, date).encode()
    # No name or time in the gzip header: the same source gives the same bytes.
    write_if_changed(path, gzip.compress(page, mtime=0))


# bash completion ---------------------------------------------------------------------------

def completion(doc, program):
    function = "_" + program.replace("-", "_")
    flags, cases = [], {}
    for group in for_program(doc["group"], program):
        for option in group["option"]:
            flags += option["flags"]
            if "arg" not in option:
                continue
            how = option.get("complete")
            if how == "file":
                action = "_filedir"
            elif how == "directory":
                action = "_filedir -d"
            elif isinstance(how, list):
                action = 'COMPREPLY=($(compgen -W "' + " ".join(how) + '" -- "$cur"))'
            else:
                action = ""  # a free value: nothing to offer
            cases.setdefault(action, []).extend(option["flags"])
    # A word that is no option names a file, for a program whose operands are files.
    files = any(o.get("complete") == "file" for o in doc["program"][program].get("operands", []))
    operand = '    [[ $cur != -* ]] && _filedir && return\n' if files else ""
    arms = "\n".join(f"        {'|'.join(names)})\n" + (f"            {action}\n" if action else "")
                     + "            return\n            ;;" for action, names in cases.items())
    return f"""# bash completion for {program}; made by scripts/gen-docs.py from doc/commands.toml.
{function}() {{
    local cur prev words cword split
    _init_completion -s || return
    case "$prev" in
{arms}
    esac
    $split && return
{operand}    COMPREPLY=($(compgen -W "{' '.join(flags)}" -- "$cur"))
    [[ ${{COMPREPLY-}} == *= ]] && compopt -o nospace
}} &&
    complete -F {function} {program}
"""


# README ------------------------------------------------------------------------------------

def readme_table(doc):
    program = "vantor-count"
    out = [README_BEGIN, "", "| Option | Meaning |", "|---|---|"]
    for group in for_program(doc["group"], program):
        window = " (also the window's)" if "vantor" in group["programs"] else ""
        out.append(f"| **{group['title']}**{window} | |")
        for option in group["option"]:
            meaning = paragraph(option["help"]).replace("|", "\\|")
            out.append(f"| `{label(option)}` | {meaning} |")
    out += ["", "| Exit status | Meaning |", "|---|---|"]
    out += [f"| {e['status']} | {e['meaning']} |" for e in exit_statuses(doc, program)]
    out += ["", README_END]
    return "\n".join(out)


def readme(path, check):
    text = pathlib.Path(path).read_text()
    begin, end = text.find(README_BEGIN), text.find(README_END)
    if begin < 0 or end < begin:
        sys.exit(f"gen-docs: {path} has no option table between the markers")
    updated = text[:begin] + readme_table(load()) + text[end + len(README_END):]
    if updated == text:
        return 0
    if check:
        print(f"gen-docs: the option table in {path} differs from doc/commands.toml; "
              "run: python3 scripts/gen-docs.py readme README.md", file=sys.stderr)
        return 1
    pathlib.Path(path).write_text(updated)
    return 0


def write_if_changed(path, data):
    path = pathlib.Path(path)
    if not path.exists() or path.read_bytes() != data:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


def main(argv):
    if len(argv) >= 3 and argv[0] == "header":
        write_header(argv[1], argv[2])
    elif len(argv) >= 5 and argv[0] == "man":
        write_man(argv[1], argv[2], argv[3], argv[4])
    elif len(argv) >= 3 and argv[0] == "completion":
        write_if_changed(argv[2], completion(load(), argv[1]).encode())
    elif len(argv) >= 2 and argv[0] == "readme":
        return readme(argv[1], "--check" in argv[2:])
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
