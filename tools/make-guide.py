#!/usr/bin/env python3
"""Build "How to Use.rtf", the user guide that Tumbledeck carries as resource 103.

The guide is written below as plain lines with a small markup: "~X" switches the
style of the text that follows to style X (see STYLES); every line starts in body
style.  The two script listings are read from the real script files.  The output
is one paragraph per file line, CR LF line ends, a closing brace line and one NUL
byte.  The script prints the size and line count that it produced.

Usage: make-guide.py [resources-folder] [output-file]
"""
import os
import re
import sys

GENERATOR = "Tumbledeck help 1.0.0, make-guide"

HEADER = [
    r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 Courier New;}}",
    r"{\colortbl ;\red0\green0\blue255;\red255\green0\blue0;\red255\green0\blue255;\red0\green128\blue0;}",
]

# style letter -> (colour index, bold, half-points)
STYLES = {
    "t": (0, 0, 20),  # body text
    "k": (0, 1, 20),  # bold body ("Example:")
    "h": (1, 1, 20),  # headings, file and folder names
    "w": (1, 0, 20),  # key words of instructions, the blue note
    "T": (1, 1, 28),  # title
    "n": (1, 1, 24),  # 12 pt names: program name when installing, saveorig
    "R": (2, 1, 20),  # banners, tree connectors, "Double click", listing frames
    "r": (2, 0, 20),  # notes and warnings
    "C": (2, 1, 28),  # "Caution:"
    "M": (3, 1, 24),  # special folder names in the tree and in headings
    "m": (3, 1, 20),  # special folder names in running text
    "g": (4, 1, 20),  # script listings
}

BAR = "~R" + "*" * 40


def banner(title):
    pad = 40 - len(title) - 4
    left = pad // 2
    return [BAR,
            "~R" + "*" * left + "  ~h" + title + "~R  " + "*" * (pad - left),
            BAR]


NOTE = "~r<-- special empty folder name that you make. *See below for use."


def data_branch(lead):
    """The Data folder of one card set, drawn below a set's branch."""
    return [
        lead + "  ~R|",
        lead + "  ~R|__ ~hData",
        lead + "        ~R|",
        lead + "        ~R|__ ~ha0001",
        lead + "        ~R|     |__ ~ha0001c.jpg",
        lead + "        ~R|",
        lead + "        ~R|__ ~ha0032",
        lead + "              ~R|__ ~ha0032c.jpg",
    ]


GUIDE = [
    "~THow to use the Random Tumbledeck",
    "",
    "~hFirst you Must have the Correct Folder structure set up:",
    "1. Make one master folder to hold all of your card sets.",
    "2. In it, make one subfolder for each card set.",
    "3. In each card set's subfolder make a second subfolder named 'Data'.",
    "4. In the Data folder put the card folders with their card images.",
    "",
    "~kExample:",
    "",
    "~hC:\\My Card Sets",
    "  ~R|",
    "  ~R|__ ~hTumbledeck.exe",
    "  ~R|",
    "  ~R|__ ~hNewSet1",
    *data_branch("  ~R|   "),
    "  ~R|",
    "  ~R|__ ~hGoldSet",
    *data_branch("  ~R|   "),
    "  ~R|",
    "  ~R|__ ~Mmakebackup " + NOTE,
    "  ~R|",
    "  ~R|__ ~Mhelp       " + NOTE,
    "  ~R|",
    "  ~R|__ ~Mshowcards  " + NOTE,
    "",
    "Each card folder (such as ~ha0001~t) holds its card pictures (such as",
    "~ha0001c.jpg~t), just as in Pixadore's own card folder.",
    "",
    "~hInstalling:",
    "Copy ~nTumbledeck~h.EXE~t from the archive into your master folder, in the",
    "example above ~hC:\\My Card Sets~t. There is nothing else to install.",
    "",
    "Now each ~RDouble click~t on ~hTumbledeck.exe~t picks, ~wat Random~t, one of the",
    "card set subfolders and copies its ~hData~t folder into Pixadore's",
    "~hPXDR Data Folder~t. Tumbledeck finds that folder by itself.",
    "",
    "Each switch takes about five seconds and then ends by itself; the copy",
    "finishes in its own minimized window.",
    "A card set without a ~hData~t folder is left alone.",
    "Sets whose name contains a dot, and ~hsaveorig~t, are never picked at",
    "random. To keep a set out of the random choice, put a dot in its name",
    "(such as ~hOld.Set~t); you can still drop it on the icon.",
    "",
    *banner("NEW FUNCTION"),
    "",
    "~hDrag and Drop mode:",
    "~wDrag~t a card set's folder name from the master folder and ~wdrop~t it on",
    "the Tumbledeck icon: Tumbledeck then copies that set of cards into the",
    "~hPXDR Data Folder~t. Only the folder's name counts: the folder may lie",
    "anywhere, but the set of that name in the master folder is installed.",
    "",
    *banner("NEW FUNCTION"),
    "",
    "~hSpecial Folder name: ~Mmakebackup",
    "Make an empty folder named ~mmakebackup~t (without quote marks) in the",
    "master folder and drop it on the icon. This runs the ~hSaveOrig.bat~t",
    "routine, which backs up all of Pixadore's cards into the folder",
    "~nsaveorig~t (in ~hsaveorig\\Data~t). An existing back-up is ~roverwritten~t:",
    "files of the same name are replaced, the others stay.",
    "",
    "While the back-up runs, processor use is high. The script window runs",
    "minimized on the task bar; open it to watch. It closes when finished.",
    "Then Tumbledeck checks the copy and tells you when a card picture is missing.",
    "Back up once before you install your first card set, so that",
    "Pixadore's own cards are kept.",
    "",
    "To put the original cards back, ~wdrop~t the folder ~hsaveorig~t on the icon:",
    "it is installed like any other card set.",
    "",
    BAR,
    BAR,
    "~CCaution: ~hDO NOT CLOSE~t the script window while the back-up runs.",
    "If it was closed, Tumbledeck says the back-up is incomplete. If it ever",
    "keeps running, find the file ~Rexclude.txt~t in the ~hData~t folder inside",
    "the ~hsaveorig~t folder and delete it. Then make the back-up again.",
    BAR,
    BAR,
    "",
    *banner("NEW FUNCTION"),
    "",
    "~hSpecial Folder name: ~Mhelp",
    "Make an empty folder named ~mhelp~t in the master folder and drop it on the",
    "icon: Tumbledeck writes this help file out so that you can read it again.",
    "Close the Help window to end: Tumbledeck then deletes this file.",
    "While it is open, Tumbledeck's small \"Random Tumbledeck\" window waits",
    "minimized on the task bar; its ~wQuit~t button ends the run too.",
    "",
    *banner("NEW FUNCTION"),
    "",
    "~hSpecial Folder name: ~Mshowcards",
    "Make an empty folder named ~mshowcards~t in the master folder and drop it on",
    "the icon: the window \"Show Current Card Sets\" opens with all card images",
    "of the set that Pixadore uses now (not a set of the master folder).",
    "Close the window when you are done.",
    "",
    "~wThe window is a rich text view: select an image and press Ctrl+C, then",
    "~wpaste it into an image editing program, or drag the image straight",
    "~winto one.",
    "",
    *banner("USAGE IDEAS"),
    "",
    "~wAdvance Use 1:~t A new card set at every start of Windows: put a shortcut",
    "to ~hTumbledeck.exe~t into the ~hStartup~t folder of the Start menu.",
    "",
    "~wAdvance use 2:~t Change card sets regularly: run ~hTumbledeck.exe~t from a",
    "scheduled task at a set period, for example every 10 minutes.",
    "",
    *banner("WINDOWS VISTA"),
    *banner("WINDOWS 7"),
    "",
    "Tumbledeck was written and designed on Windows XP Pro. On Windows Vista",
    "or Windows 7 you may need a shortcut to ~hTumbledeck.exe~t set to run in",
    "~rWindows XP compatibility mode~t, and to run it as administrator.",
    "Right-click the shortcut, choose Properties, then the Compatibility tab.",
    "",
    *banner("SCRIPT SOURCE"),
    "",
    "~hScript Source code:",
    "These scripts are embedded in ~hTumbledeck.exe~t. Tumbledeck writes them out",
    "to the master folder, uses them as needed and deletes them afterwards.",
    "You do not need them to use Tumbledeck; they are here for reference.",
    "",
    "~hScript to Find the PXDR Data folder path:",
    "@LISTING GetPXDRData.bat",
    "",
    "~hScript to make backup of PXDR cards:",
    "@LISTING SaveOrig.bat",
    "",
    "",
    "",
    "",
]

# The back-up listing in the guide leaves out this line of the script.
LEFT_OUT = {"SaveOrig.bat": ["echo .dlmcdf >> exclude.txt"]}


def escape(text):
    return text.replace("\\", "\\\\").replace("{", "\\{").replace("}", "\\}")


def runs(line):
    """Split a marked-up line into (style, text) runs."""
    out = []
    style = "t"
    for part in re.split(r"(~.)", line):
        if part.startswith("~") and len(part) == 2:
            style = part[1]
            if style not in STYLES:
                raise ValueError("unknown style %r in %r" % (style, line))
        elif part:
            out.append((style, part))
    return out


class Writer:
    def __init__(self):
        self.state = None   # (cf, b, fs) in force
        self.lines = []

    def switch(self, want):
        words = ""
        cf, b, fs = want
        if self.state is None:
            words = "\\cf%d\\lang1033%s\\f0\\fs%d" % (cf, "\\b" if b else "", fs)
        else:
            if cf != self.state[0]:
                words += "\\cf%d" % cf
            if b != self.state[1]:
                words += "\\b" if b else "\\b0"
            if fs != self.state[2]:
                words += "\\fs%d" % fs
        self.state = want
        return words

    def paragraph(self, line_runs, prefix=""):
        out = prefix
        for style, text in line_runs:
            want = STYLES[style]
            # Blanks look the same in any colour or weight: only their size matters.
            if text.strip(" ") == "" and self.state and self.state[2] == want[2]:
                out += text
                continue
            words = self.switch(want)
            out += (words + " " if words else "") + escape(text)
        self.lines.append(out + "\\par")


def build(res):
    w = Writer()
    first = True
    for line in GUIDE:
        if line.startswith("@LISTING "):
            name = line.split(" ", 1)[1]
            with open(os.path.join(res, name), "rb") as f:
                script = f.read().decode("ascii").split("\r\n")
            if script[-1] == "":
                script.pop()
            for gone in LEFT_OUT.get(name, []):
                script.remove(gone)
            w.paragraph([("R", "<<<<  Begin Here >>>>")])
            for s in script:
                w.paragraph([("g", s)] if s else [])
            w.paragraph([("R", "<<<< End Here >>>>")])
            continue
        w.paragraph(runs(line), prefix="\\viewkind4\\uc1\\pard" if first else "")
        first = False
    lines = HEADER + ["{\\*\\generator %s;}" % GENERATOR] + w.lines + ["}"]
    # The first paragraph carries the document defaults after \pard.
    return ("\r\n".join(lines) + "\r\n").encode("ascii") + b"\0", len(lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "resources")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "How to Use.rtf")
    data, nlines = build(res)
    with open(out, "wb") as f:
        f.write(data)
    print("%s: %d bytes (want 12000), %d lines (want 287), %+d bytes, %+d lines"
          % (out, len(data), nlines, len(data) - 12000, nlines - 287))


if __name__ == "__main__":
    main()
