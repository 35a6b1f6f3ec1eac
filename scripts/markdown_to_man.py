#!/usr/bin/env python3
"""Turns a Markdown page of docs/ into a man page (roff with tbl tables).

Usage: markdown_to_man.py INPUT.md OUTPUT NAME SECTION VERSION "ONE-LINE SUMMARY"

Handles what the project's pages use: headings (the first one is the
page's title, "##" become sections, "###" subsections), paragraphs, "- "
lists with their continuation lines, fenced code blocks, pipe tables, and
inline `code`, **bold**, *italic* and [links](#anchor). Anything else is
kept as text. Run at build time, so the installed page is the page of the
tree it was built from.
"""

import os
import re
import sys


def escape(text):
    """Text as roff prints it: backslashes and hyphens escaped."""
    return text.replace("\\", "\\e").replace("-", "\\-")


def inline(text):
    """Inline Markdown to roff font changes."""
    out = []
    pos = 0
    pattern = re.compile(r"`([^`]+)`|\*\*(.+?)\*\*|\[([^\]]+)\]\(([^)]*)\)|(?<![\w*])\*([^*\s][^*]*)\*")
    for m in pattern.finditer(text):
        out.append(escape(text[pos : m.start()]))
        if m.group(1) is not None:
            out.append("\\fB" + escape(m.group(1)) + "\\fR")
        elif m.group(2) is not None:
            out.append("\\fB" + inline(m.group(2)) + "\\fR")
        elif m.group(3) is not None:
            label = inline(m.group(3))
            target = m.group(4)
            if target.startswith("#"):
                out.append(label)  # a section of this page, named by its label
            else:
                out.append(label + " <" + escape(target) + ">")
        else:
            out.append("\\fI" + inline(m.group(5)) + "\\fR")
        pos = m.end()
    out.append(escape(text[pos:]))
    return "".join(out)


def text_line(text):
    """Running text (one line or several, joined with newlines, so that a
    `code` span may cross a line end); a line that begins with a dot or an
    apostrophe would be read as a request."""
    lines = inline("\n".join(l.strip() for l in text.split("\n"))).split("\n")
    return "\n".join("\\&" + l if l.startswith((".", "'")) else l for l in lines)


def table(rows):
    """Pipe-table rows (header, separator, body) as a tbl table."""
    cells = [[c.strip() for c in r.strip().strip("|").split("|")] for r in rows]
    header, body = cells[0], cells[2:]
    width = len(header)
    out = [".ad l", ".TS", "allbox tab(\t);", " ".join(["lb"] * width), " ".join(["l"] * width) + "."]
    for r in [header] + body:
        r = (r + [""] * width)[:width]
        out.append("\t".join("T{\n" + text_line(c) + "\nT}" if len(c) > 12 else text_line(c) for c in r))
    out += [".TE", ".ad b"]
    return out


def convert(lines, name, section, version, summary):
    out = [
        "'\\\" t",
        '.TH "%s" "%s" "" "scenario-compiler %s" "Scenario compiler"' % (name.upper(), section, version),
        ".SH NAME",
        "%s \\- %s" % (escape(name), escape(summary)),
    ]
    i = 0
    in_list = False
    title_seen = False
    while i < len(lines):
        line = lines[i].rstrip("\n")
        if line.startswith("```"):
            i += 1
            out += [".PP", ".RS 4", ".nf"]
            while i < len(lines) and not lines[i].startswith("```"):
                code = escape(lines[i].rstrip("\n"))
                out.append("\\&" + code)
                i += 1
            out += [".fi", ".RE"]
            i += 1
            in_list = False
            continue
        heading = re.match(r"^(#+)\s+(.*)$", line)
        if heading:
            level = len(heading.group(1))
            if level == 1 and not title_seen:
                title_seen = True
                out.append(".SH DESCRIPTION")
            elif level <= 2:
                out.append('.SH "%s"' % inline(heading.group(2)).upper())
            else:
                out.append('.SS "%s"' % inline(heading.group(2)))
            in_list = False
            i += 1
            continue
        if line.startswith("|"):
            rows = []
            while i < len(lines) and lines[i].startswith("|"):
                rows.append(lines[i])
                i += 1
            out += [".PP"] + table(rows)
            in_list = False
            continue
        if not line.strip():
            i += 1
            continue
        item = re.match(r"^\s*[-*]\s+(.*)$", line)
        if item:
            if not in_list:
                out.append(".PP")
            text = [item.group(1)]
            in_list = True
            i += 1
            while i < len(lines) and lines[i].startswith("  ") and lines[i].strip():
                text.append(lines[i].rstrip("\n"))
                i += 1
            out += [".IP \\(bu 2", text_line("\n".join(text))]
            continue
        # A paragraph: lines up to a blank one or another block.
        in_list = False
        text = []
        while i < len(lines):
            line = lines[i].rstrip("\n")
            if not line.strip() or line.startswith(("```", "#", "|")) or re.match(r"^\s*[-*]\s+", line):
                break
            text.append(line)
            i += 1
        out += [".PP", text_line("\n".join(text))]
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 7:
        sys.stderr.write(__doc__)
        return 2
    source, target, name, section, version, summary = sys.argv[1:]
    with open(source, encoding="utf-8") as f:
        lines = f.readlines()
    page = convert(lines, name, section, version, summary)
    page += '.SH "SEE ALSO"\n.BR scenario\\-compiler (1)\n'
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    with open(target, "w", encoding="utf-8") as f:
        f.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main())
