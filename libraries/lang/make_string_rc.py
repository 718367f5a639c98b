#!/usr/bin/env python3
"""Build the resource script of one Quorvex language library.

A language library ("MirelQuor001.DLL" and its siblings) holds nothing but a
string table and a version resource.  This script turns a language text file
(see english.txt for the format) into a windres-compatible .rc file for one
board family:

    python3 make_string_rc.py --family Mirel --texts english.txt --out MirelQuor001.rc
                              [--language-name English] [--code 001]
    python3 make_string_rc.py --texts english.txt --header text_ids.h

The second form writes the C header of named string IDs ("[11200 SOFTWARE_MISSING]"
in the texts gives "#define TEXT_SOFTWARE_MISSING 11200"), so that the program
names every text it asks for instead of using a bare number.

How the program reads the string table, and therefore what this script
guarantees:

* IDs 1, 2, 4, 5, 6, 1000, 1001 and the page headlines are read with a single
  LoadStringA call into a 256-byte buffer: each must fit in one entry of at
  most 255 characters.
* Every other text is a "long text": a run of consecutive string IDs ID,
  ID+1, ID+2, ... of at most 255 characters each, read into a 256-byte buffer
  and joined without separators.  The reader stops at the first ID that is
  missing or empty and after 100 pieces, so the ID after the last piece must
  stay free, and the whole text must fit the 4096-byte text buffer.

Character counts are taken after escape processing: a line break is CR LF and
counts as two characters.  The file is written in plain ASCII; characters
beyond ASCII are emitted as octal escapes of their Windows-1252 code, which
windres stores as the right UTF-16 character under "#pragma code_page(1252)".

Exit status: 0 on success, 1 when the texts break a rule (with a message
naming the text), 2 for bad command-line arguments.
"""

import argparse
import os
import re
import sys

# Board families: profile key -> name shown to the user (replaces {board}).
FAMILIES = {
    "Kiron": "Kiron",
    "Orsa": "Cinora Orsa Duo",
    "Vela": "Vela Prime",
    "Mirel": "Cinora Mirel Nova",
}

# Texts read with one LoadStringA call: button captions, progress label,
# the two questions of the display tests, page headlines.
CAPTION_IDS = (1, 2, 4, 5, 6)
QUESTION_IDS = (1000, 1001)
HEADLINE_IDS = (3000, 3001, 3010, 3011, 3002, 3003, 3004)
SINGLE_IDS = frozenset(CAPTION_IDS + QUESTION_IDS + HEADLINE_IDS)

# Long texts the program asks for: page texts, then the result texts of the
# tests (installation tests, audio mixer, kernel-mode driver, DirectDraw
# primary surface, DirectDraw overlay) and the two shared error texts.
PAGE_TEXT_IDS = (10000, 11000, 22000, 21000, 12000, 13000, 14000)
RESULT_TEXT_IDS = (
    5000, 5100,
    11100, 11200, 11300, 11400, 11500,
    12100, 12200, 12300, 12400,
    22100, 22200,
    21100, 21200, 21300, 21400,
    13100, 13200, 13300, 13400, 13500, 13600, 13700, 13800,
    14100, 14200, 15000,
)
REQUIRED_IDS = frozenset(SINGLE_IDS) | frozenset(PAGE_TEXT_IDS) | frozenset(RESULT_TEXT_IDS)

PIECE_MAX = 255          # LoadStringA into a 256-byte buffer
MAX_PIECES = 100         # LoadLongText reads at most 100 pieces
LONG_TEXT_MAX = 4095     # LoadLongText and ResultText buffers hold 4096 bytes
MAX_STRING_ID = 65535

# Rough layout of the text window (multi-line static, 16-pixel MS Sans Serif,
# about 307 x 235 pixels): about 44 characters per line and 14 lines of 16
# pixels.  The estimate below is off by a line now and then, so one line is
# kept in reserve.  Used for warnings only; real widths depend on the font.
TEXT_WINDOW_COLUMNS = 44
TEXT_WINDOW_LINES = 13
HEADLINE_MAX = 30        # bold 18-pixel font, 205 dialog units wide
CAPTION_MAX = 12         # 50 dialog units wide buttons, '&' not counted
PROGRESS_LABEL_MAX = 20  # 83 dialog units wide label

# Windows language IDs for the version resource, by the program's language code.
LANGUAGE_IDS = {
    "001": 0x0409,  # English (United States)
    "031": 0x0413,  # Dutch
    "033": 0x040C,  # French
    "034": 0x0C0A,  # Spanish
    "039": 0x0410,  # Italian
    "049": 0x0407,  # German
    "055": 0x0416,  # Portuguese (Brazil)
}
CODE_PAGE = 1252
ENCODING = "cp1252"

HEADER_RE = re.compile(r"^\[\s*(\d+)(?:\s+([A-Z][A-Z0-9_]*))?\s*\]\s*$")
PLACEHOLDER_RE = re.compile(r"\{\{|\}\}|\{[^{}]*\}|[{}]")


class TextError(Exception):
    """A language text breaks one of the string-table rules."""


# --------------------------------------------------------------------------
# Reading the text file


def parse_texts(content, source="texts", names=None):
    """Parse a language text file into {id: text}; names, when given, receives
    {id: name} of the IDs whose line names them ("[ID NAME]").

    Lines starting with '#' are comments.  A line "[ID]" starts a text; the
    following lines up to the next "[ID]" are joined with CR LF.  Trailing
    blanks of each line and blank lines at the start and end of a text are
    dropped; blank lines inside a text are kept (an empty line on screen).
    """
    texts = {}
    first_line = {}
    current = None
    lines = []

    def finish():
        if current is None:
            return
        while lines and lines[-1] == "":
            lines.pop()
        while lines and lines[0] == "":
            lines.pop(0)
        if not lines:
            raise TextError("%s:%d: text [%d] is empty" % (source, first_line[current], current))
        texts[current] = "\r\n".join(lines)

    for number, raw in enumerate(content.splitlines(), start=1):
        if raw.startswith("#"):
            continue
        line = raw.rstrip()
        match = HEADER_RE.match(line)
        if match:
            finish()
            string_id = int(match.group(1))
            if not 1 <= string_id <= MAX_STRING_ID:
                raise TextError("%s:%d: string ID %d is outside 1..%d"
                                % (source, number, string_id, MAX_STRING_ID))
            if string_id in texts or string_id == current:
                raise TextError("%s:%d: string ID %d is used twice (first at line %d)"
                                % (source, number, string_id, first_line[string_id]))
            current = string_id
            first_line[string_id] = number
            if names is not None and match.group(2):
                names[string_id] = match.group(2)
            lines = []
            continue
        if line.startswith("[") and line.endswith("]"):
            raise TextError("%s:%d: malformed ID line %r" % (source, number, line))
        if current is None:
            if line == "":
                continue
            raise TextError("%s:%d: text outside of an [ID] section" % (source, number))
        for char in line:
            if ord(char) < 0x20 or ord(char) == 0x7F:
                raise TextError("%s:%d: control character U+%04X in text [%d]"
                                % (source, number, ord(char), current))
        lines.append(line)
    finish()
    return texts


def read_texts(path, names=None):
    with open(path, "r", encoding="utf-8-sig") as handle:
        return parse_texts(handle.read(), os.path.basename(path), names)


def render_header(names, texts_name):
    """The C header of the named string IDs; every ID the program asks for needs a name."""
    unnamed = sorted(REQUIRED_IDS - set(names))
    if unnamed:
        raise TextError("%s: string IDs without a name: %s" % (texts_name, ", ".join(map(str, unnamed))))
    out = ["/* String IDs of the language libraries, by name. Generated by",
           "   make_string_rc.py from %s; edit the names there. */" % texts_name,
           "#ifndef QUORVEX_TEXT_IDS_H", "#define QUORVEX_TEXT_IDS_H", ""]
    out += ["#define TEXT_%s %d" % (names[i], i) for i in sorted(names)]
    out += ["", "#endif", ""]
    return "\n".join(out)


def expand_placeholders(text, display_name, string_id=None):
    """Replace {board} by the family's display name; {{ and }} are braces."""
    def replace(match):
        token = match.group(0)
        if token == "{{":
            return "{"
        if token == "}}":
            return "}"
        if token == "{board}":
            return display_name
        where = "text [%d]" % string_id if string_id is not None else "text"
        raise TextError("%s: unknown placeholder or stray brace %r "
                        "(write {{ and }} for literal braces)" % (where, token))
    return PLACEHOLDER_RE.sub(replace, text)


# --------------------------------------------------------------------------
# Splitting and checking


def split_long_text(text, limit=PIECE_MAX):
    """Split a text into pieces of at most `limit` characters.

    Pieces are joined again without separators, so nothing is dropped: a
    break falls just after a blank or after a line break, never inside a
    word when the piece holds a blank, and never between CR and LF.
    """
    if limit < 2:
        raise ValueError("piece limit too small")
    pieces = []
    rest = text
    while len(rest) > limit:
        window = rest[:limit]
        cut = max(window.rfind(" "), window.rfind("\n"))
        if cut >= 0:
            cut += 1
        else:
            cut = limit
            if window.endswith("\r") and rest[limit] == "\n":
                cut -= 1
        pieces.append(rest[:cut])
        rest = rest[cut:]
    if rest:
        pieces.append(rest)
    return pieces


def build_string_table(texts, display_name, single_ids=SINGLE_IDS, required_ids=REQUIRED_IDS):
    """Turn {id: text} into the string table {string id: piece}.

    Raises TextError for a missing required ID, a single string that does not
    fit one entry, a long text that is too long, and a run of pieces that
    would run into the ID of another text.
    """
    missing = sorted(set(required_ids) - set(texts))
    if missing:
        raise TextError("required string IDs missing: %s" % ", ".join(str(i) for i in missing))

    runs = {}
    for string_id in sorted(texts):
        text = expand_placeholders(texts[string_id], display_name, string_id)
        if not text:
            raise TextError("text [%d] is empty" % string_id)
        if string_id in single_ids:
            if len(text) > PIECE_MAX:
                raise TextError("text [%d] is read as a single string and may hold at most %d "
                                "characters, but has %d" % (string_id, PIECE_MAX, len(text)))
            runs[string_id] = [text]
            continue
        if len(text) > LONG_TEXT_MAX:
            raise TextError("text [%d] has %d characters; a long text holds at most %d"
                            % (string_id, len(text), LONG_TEXT_MAX))
        pieces = split_long_text(text)
        if len(pieces) > MAX_PIECES:
            raise TextError("text [%d] needs %d pieces; at most %d are read"
                            % (string_id, len(pieces), MAX_PIECES))
        runs[string_id] = pieces

    ids = sorted(runs)
    for string_id in ids:
        pieces = runs[string_id]
        last = string_id + len(pieces) - 1
        if last > MAX_STRING_ID:
            raise TextError("text [%d] needs string IDs %d..%d, beyond %d"
                            % (string_id, string_id, last, MAX_STRING_ID))
        if string_id in single_ids:
            continue
        # The reader goes on until it finds a missing ID, so the ID after the
        # last piece must be free as well.
        for other in ids:
            if other != string_id and string_id < other <= last + 1:
                raise TextError("text [%d] is split into %d pieces (IDs %d..%d) and must be "
                                "followed by an unused ID, but text [%d] is in the way; "
                                "shorten the text or move the neighbouring ID"
                                % (string_id, len(pieces), string_id, last, other))

    table = {}
    for string_id in ids:
        for offset, piece in enumerate(runs[string_id]):
            table[string_id + offset] = piece
    return table, runs


def layout_warnings(texts, display_name):
    """Return warnings for texts that probably do not fit their controls."""
    warnings = []
    for string_id in sorted(texts):
        text = expand_placeholders(texts[string_id], display_name, string_id)
        if string_id in HEADLINE_IDS:
            if len(text) > HEADLINE_MAX:
                warnings.append("headline [%d] has %d characters; about %d fit"
                                % (string_id, len(text), HEADLINE_MAX))
        elif string_id == 6:
            if len(text) > PROGRESS_LABEL_MAX:
                warnings.append("progress label [6] has %d characters; about %d fit"
                                % (len(text), PROGRESS_LABEL_MAX))
        elif string_id in CAPTION_IDS:
            if len(text.replace("&", "")) > CAPTION_MAX:
                warnings.append("button caption [%d] is longer than %d characters"
                                % (string_id, CAPTION_MAX))
        if string_id not in CAPTION_IDS + QUESTION_IDS or string_id == 6:
            # Static controls show a single '&' as an underline, not as itself.
            if "&" in text.replace("&&", ""):
                warnings.append("text [%d] contains '&', which the window shows as an "
                                "underline; write '&&' or 'and'" % string_id)
        if string_id not in SINGLE_IDS:
            lines = estimate_lines(text)
            if lines > TEXT_WINDOW_LINES:
                warnings.append("text [%d] needs about %d lines in the text window; about %d fit"
                                % (string_id, lines, TEXT_WINDOW_LINES))
    return warnings


def estimate_lines(text, columns=TEXT_WINDOW_COLUMNS):
    """Count the lines of a word-wrapped text at a fixed number of columns."""
    total = 0
    for paragraph in text.split("\r\n"):
        line = 0
        count = 1
        for word in paragraph.split(" "):
            if line == 0:
                line = len(word)
            elif line + 1 + len(word) <= columns:
                line += 1 + len(word)
            else:
                count += 1
                line = len(word)
            while line > columns:
                count += 1
                line -= columns
        total += count
    return total


# --------------------------------------------------------------------------
# Writing the resource script


def rc_quote(text):
    """Quote a text as an rc string literal in plain ASCII."""
    out = ['"']
    for char in text:
        code = ord(char)
        if char == '"':
            out.append('""')
        elif char == "\\":
            out.append("\\\\")
        elif char == "\r":
            out.append("\\r")
        elif char == "\n":
            out.append("\\n")
        elif 0x20 <= code < 0x7F:
            out.append(char)
        elif code < 0x20 or code == 0x7F:
            raise TextError("control character U+%04X cannot be stored" % code)
        else:
            try:
                encoded = char.encode(ENCODING)
            except UnicodeEncodeError:
                raise TextError("character %r (U+%04X) has no Windows-%d code"
                                % (char, code, CODE_PAGE)) from None
            out.append("".join("\\%03o" % byte for byte in encoded))
    out.append('"')
    return "".join(out)


def parse_version(version):
    parts = version.split(".")
    if len(parts) != 4 or not all(p.isdigit() and int(p) <= 65535 for p in parts):
        raise TextError("version %r is not of the form a.b.c.d" % version)
    return [int(p) for p in parts]


def language_id(code, override=None):
    if override is not None:
        return override
    return LANGUAGE_IDS.get(code, 0x0409)


def render_rc(table, family, texts_name, language_name, code, langid, version="1.0.0.0"):
    """Return the text of the .rc file (deterministic)."""
    display_name = FAMILIES[family]
    library = "%sQuor%s" % (family, code)
    numbers = parse_version(version)
    version_commas = ",".join(str(n) for n in numbers)
    version_text = ".".join(str(n) for n in numbers)

    out = []
    out.append("/* %s.DLL: %s %s texts for Tavolink Quorvex." % (library, display_name, language_name))
    out.append("   Generated by make_string_rc.py from %s; edit the texts there. */" % texts_name)
    out.append("")
    out.append("#pragma code_page(%d)" % CODE_PAGE)
    out.append("")
    out.append("/* Language neutral, so that LoadString finds the strings whatever the")
    out.append("   user's language: the program picks the library by its file name. */")
    out.append("LANGUAGE 0, 0")
    out.append("")
    out.append("STRINGTABLE")
    out.append("BEGIN")
    for string_id in sorted(table):
        out.append("    %d, %s" % (string_id, rc_quote(table[string_id])))
    out.append("END")
    out.append("")
    out.append("1 VERSIONINFO")
    out.append("FILEVERSION %s" % version_commas)
    out.append("PRODUCTVERSION %s" % version_commas)
    out.append("FILEFLAGSMASK 0x3F")
    out.append("FILEFLAGS 0x0")
    out.append("FILEOS 0x4")          # VOS__WINDOWS32
    out.append("FILETYPE 0x2")        # VFT_DLL
    out.append("FILESUBTYPE 0x0")
    out.append("BEGIN")
    out.append('    BLOCK "StringFileInfo"')
    out.append("    BEGIN")
    out.append('        BLOCK "%04X%04X"' % (langid, CODE_PAGE))
    out.append("        BEGIN")
    values = (
        ("CompanyName", "Tavolink Systems"),
        ("FileDescription", "%s %s texts for Tavolink Quorvex" % (display_name, language_name)),
        ("FileVersion", version_text),
        ("InternalName", library),
        ("OriginalFilename", library + ".DLL"),
        ("ProductName", "Tavolink Quorvex"),
        ("ProductVersion", version_text),
    )
    for name, value in values:
        out.append("            VALUE %s, %s" % (rc_quote(name), rc_quote(value)))
    out.append("        END")
    out.append("    END")
    out.append('    BLOCK "VarFileInfo"')
    out.append("    BEGIN")
    out.append('        VALUE "Translation", 0x%04X, %d' % (langid, CODE_PAGE))
    out.append("    END")
    out.append("END")
    out.append("")
    return "\n".join(out)


def generate(family, texts_path, language_name="English", code="001", langid=None,
             version="1.0.0.0"):
    """Read, check and render; returns (rc text, runs, warnings)."""
    texts = read_texts(texts_path)
    display_name = FAMILIES[family]
    table, runs = build_string_table(texts, display_name)
    warnings = layout_warnings(texts, display_name)
    rc = render_rc(table, family, os.path.basename(texts_path), language_name, code,
                   language_id(code, langid), version)
    return rc, runs, warnings


def canonical_family(name):
    for family in FAMILIES:
        if family.lower() == name.lower():
            return family
    raise argparse.ArgumentTypeError("unknown family %r (choose from %s)"
                                     % (name, ", ".join(FAMILIES)))


def language_code(value):
    if not re.fullmatch(r"\d{3}", value):
        raise argparse.ArgumentTypeError("language code must be three digits, e.g. 001")
    return value


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Write the resource script of a Quorvex language library.")
    parser.add_argument("--family", type=canonical_family,
                        help="board family: %s" % ", ".join(FAMILIES))
    parser.add_argument("--texts", required=True, help="language text file (UTF-8)")
    parser.add_argument("--out", help="resource script to write")
    parser.add_argument("--header", help="write the header of named string IDs instead")
    parser.add_argument("--language-name", default="English",
                        help="language named in the file description (default English)")
    parser.add_argument("--code", default="001", type=language_code,
                        help="three-digit language code of the library name (default 001)")
    parser.add_argument("--langid", type=lambda v: int(v, 0), default=None,
                        help="Windows language ID for the version resource "
                             "(default taken from --code)")
    parser.add_argument("--version", default="1.0.0.0", help="file version (default 1.0.0.0)")
    parser.add_argument("--strict-layout", action="store_true",
                        help="treat layout warnings as errors")
    args = parser.parse_args(argv)

    prog = os.path.basename(sys.argv[0]) if argv is None else "make_string_rc.py"
    if args.header:
        try:
            names = {}
            read_texts(args.texts, names)
            header = render_header(names, os.path.basename(args.texts))
            with open(args.header, "w", newline="\n") as handle:
                handle.write(header)
        except (OSError, UnicodeDecodeError, TextError) as error:
            print("%s: error: %s" % (prog, error), file=sys.stderr)
            return 1
        return 0
    if not args.family or not args.out:
        parser.error("--family and --out are needed to write a resource script")
    try:
        rc, runs, warnings = generate(args.family, args.texts, args.language_name, args.code,
                                      args.langid, args.version)
    except (OSError, UnicodeDecodeError) as error:
        print("%s: error: cannot read %s: %s" % (prog, args.texts, error), file=sys.stderr)
        return 1
    except TextError as error:
        print("%s: error: %s (family %s)" % (prog, error, args.family), file=sys.stderr)
        return 1
    for warning in warnings:
        print("%s: warning: %s (family %s)" % (prog, warning, args.family), file=sys.stderr)
    if warnings and args.strict_layout:
        return 1

    try:
        with open(args.out, "wb") as handle:
            handle.write(rc.encode("ascii"))
    except OSError as error:
        print("%s: error: cannot write %s: %s" % (prog, args.out, error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
