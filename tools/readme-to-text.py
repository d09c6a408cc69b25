#!/usr/bin/env python3
"""Turns the user part of README.md (from its title to "## For developers") into plain
text for the download: README.txt, CR LF line ends, readable in Notepad.

Headings are underlined, code blocks indented, tables set in aligned columns, pictures
left out, and the Markdown marks of bold text, code and links dropped.

Usage: readme-to-text.py README.md README.txt
"""
import re
import sys

END_OF_USER_PART = "## For developers"


def inline(text):
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)             # pictures
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", r"\1 (\2)", text)   # links
    text = text.replace("**", "").replace("`", "")
    return text


def table(rows):
    cells = [[inline(c.strip()) for c in row.strip().strip("|").split("|")] for row in rows
             if not re.fullmatch(r"\|?[\s:|-]+\|?", row.strip())]
    widths = [max(len(r[i]) for r in cells if i < len(r)) for i in range(len(cells[0]))]
    out = []
    for n, row in enumerate(cells):
        out.append("  ".join(c.ljust(widths[i]) for i, c in enumerate(row)).rstrip())
        if n == 0:
            out.append("  ".join("-" * w for w in widths))
    return out


def convert(markdown):
    lines = markdown.splitlines()
    if END_OF_USER_PART in lines:
        lines = lines[:lines.index(END_OF_USER_PART)]
    out, rows, in_code = [], [], False
    for line in lines:
        if line.startswith("```"):
            in_code = not in_code
            continue
        if in_code:
            out.append("    " + line)
            continue
        if line.lstrip().startswith("|"):
            rows.append(line)
            continue
        if rows:
            out.extend(table(rows))
            rows = []
        heading = re.match(r"(#+)\s+(.*)", line)
        if heading:
            title = inline(heading.group(2))
            out += [title, ("=" if len(heading.group(1)) <= 2 else "-") * len(title)]
        elif re.fullmatch(r"\s*!\[[^\]]*\]\([^)]*\)\s*", line):
            continue  # a picture on a line of its own
        else:
            out.append(inline(line))
    if rows:
        out.extend(table(rows))
    text = []
    for line in out:
        if line.strip() or (text and text[-1].strip()):  # one blank line at most
            text.append(line.rstrip())
    while text and not text[-1]:
        text.pop()
    return "".join(line + "\r\n" for line in text)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as f:
        text = convert(f.read())
    with open(sys.argv[2], "w", encoding="utf-8", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
