#!/usr/bin/env python3
"""Tests of make_string_rc.py: text file parsing, long-text splitting, the
string-table rules, rc escaping, the command line, and (where windres is
installed) a round trip through windres that reads the compiled string table
back the way the program does."""

import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from contextlib import redirect_stderr
from unittest import mock

sys.dont_write_bytecode = True  # keep the source folder clean when run from CTest
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import make_string_rc as gen  # noqa: E402

ENGLISH = os.path.join(HERE, "english.txt")
SCRIPT = os.path.join(HERE, "make_string_rc.py")
WINDRES = (shutil.which("x86_64-w64-mingw32-windres")
           or shutil.which("i686-w64-mingw32-windres")
           or shutil.which("windres"))


def minimal_texts():
    """A complete, valid set of short texts for every required ID."""
    return {string_id: "Text %d for {board}." % string_id for string_id in gen.REQUIRED_IDS}


def words(count, seed="word"):
    """A text of `count` characters made of words and single blanks."""
    out = []
    n = 0
    while len(" ".join(out)) < count:
        out.append("%s%d" % (seed, n))
        n += 1
    return " ".join(out)[:count]


def load_long_text(table, first_id):
    """What the program's LoadLongText returns for a string table."""
    pieces = []
    for n in range(gen.MAX_PIECES):
        piece = table.get(first_id + n, "")
        if not piece:
            break
        pieces.append(piece)
    return "".join(pieces)


class ParseTests(unittest.TestCase):
    def test_lines_joined_with_crlf_and_blank_edges_dropped(self):
        texts = gen.parse_texts(
            "# a comment\n"
            "\n"
            "[10]\n"
            "\n"
            "First line.   \n"
            "\n"
            "Second line.\n"
            "# comment inside is skipped\n"
            "\n"
            "\n"
            "[11]\n"
            "Only one.\n")
        self.assertEqual(texts, {10: "First line.\r\n\r\nSecond line.", 11: "Only one."})

    def test_duplicate_id_fails(self):
        with self.assertRaisesRegex(gen.TextError, "used twice"):
            gen.parse_texts("[10]\nA\n[11]\nB\n[10]\nC\n")

    def test_text_before_first_id_fails(self):
        with self.assertRaisesRegex(gen.TextError, "outside"):
            gen.parse_texts("stray\n[10]\nA\n")

    def test_empty_text_fails(self):
        with self.assertRaisesRegex(gen.TextError, "empty"):
            gen.parse_texts("[10]\n\n[11]\nB\n")

    def test_bad_id_line_and_range(self):
        with self.assertRaisesRegex(gen.TextError, "malformed"):
            gen.parse_texts("[ten]\nA\n")
        with self.assertRaisesRegex(gen.TextError, "outside"):
            gen.parse_texts("[70000]\nA\n")
        with self.assertRaisesRegex(gen.TextError, "outside"):
            gen.parse_texts("[0]\nA\n")

    def test_tab_is_rejected(self):
        with self.assertRaisesRegex(gen.TextError, "control character"):
            gen.parse_texts("[10]\nA\tB\n")

    def test_placeholders(self):
        self.assertEqual(gen.expand_placeholders("The {board} board {{x}}", "Vela Prime"),
                         "The Vela Prime board {x}")
        with self.assertRaisesRegex(gen.TextError, "unknown placeholder"):
            gen.expand_placeholders("The {bord} board", "Kiron", 10)
        with self.assertRaisesRegex(gen.TextError, "stray brace"):
            gen.expand_placeholders("a { b", "Kiron", 10)


class SplitTests(unittest.TestCase):
    def check_pieces(self, text, pieces):
        self.assertEqual("".join(pieces), text)
        for piece in pieces:
            self.assertTrue(0 < len(piece) <= gen.PIECE_MAX, len(piece))

    def test_600_characters_become_three_pieces_on_consecutive_ids(self):
        texts = minimal_texts()
        long_text = words(600)
        self.assertEqual(len(long_text), 600)
        texts[11100] = long_text
        table, runs = gen.build_string_table(texts, "Kiron")
        self.assertEqual(len(runs[11100]), 3)
        self.assertEqual([table.get(11100 + n) is not None for n in range(4)],
                         [True, True, True, False])
        for n in range(3):
            self.assertLessEqual(len(table[11100 + n]), 255)
        self.assertEqual(table[11100] + table[11101] + table[11102], long_text)
        self.assertEqual(load_long_text(table, 11100), long_text)

    def test_breaks_at_word_boundaries(self):
        text = words(1000)
        pieces = gen.split_long_text(text)
        self.check_pieces(text, pieces)
        for piece in pieces[:-1]:
            self.assertTrue(piece.endswith(" "), repr(piece[-10:]))

    def test_break_after_line_break_and_never_between_cr_and_lf(self):
        text = ("x" * 200 + "\r\n") * 5
        pieces = gen.split_long_text(text)
        self.check_pieces(text, pieces)
        for piece in pieces:
            self.assertFalse(piece.endswith("\r"))
            self.assertFalse(piece.startswith("\n"))
        # Unbroken text: the hard cut moves back so that CR LF stays together.
        text = "y" * 253 + "\r\n" + "z" * 10
        pieces = gen.split_long_text(text)
        self.check_pieces(text, pieces)
        self.assertEqual(pieces[0], "y" * 253 + "\r\n")
        text = "y" * 254 + "\r\n" + "z" * 300
        pieces = gen.split_long_text(text)
        self.check_pieces(text, pieces)
        self.assertEqual(pieces[0], "y" * 254)

    def test_crlf_counts_as_two_characters(self):
        text = "a" * 253 + "\r\n"
        self.assertEqual(gen.split_long_text(text), [text])
        text = "a" * 254 + "\r\n"
        self.assertEqual(len(gen.split_long_text(text)), 2)

    def test_unbroken_word_is_cut_hard(self):
        text = "q" * 600
        pieces = gen.split_long_text(text)
        self.check_pieces(text, pieces)
        self.assertEqual([len(p) for p in pieces], [255, 255, 90])

    def test_exactly_255_is_one_piece(self):
        self.assertEqual(gen.split_long_text("b" * 255), ["b" * 255])
        self.assertEqual(len(gen.split_long_text("b" * 256)), 2)

    def test_placeholder_is_expanded_before_splitting(self):
        texts = minimal_texts()
        texts[5000] = "{board} " * 31   # 248 characters as written
        table, runs = gen.build_string_table(texts, "Kiron")
        self.assertEqual(len(runs[5000]), 1)
        table, runs = gen.build_string_table(texts, "Cinora Mirel Nova")
        self.assertEqual(len(runs[5000]), 3)
        self.assertEqual(load_long_text(table, 5000), "Cinora Mirel Nova " * 31)


class RuleTests(unittest.TestCase):
    def test_run_into_neighbouring_text_fails(self):
        texts = minimal_texts()
        texts[11100] = words(600)          # IDs 11100..11102
        texts[11102] = "neighbour"
        with self.assertRaisesRegex(gen.TextError, r"\[11100\].*\[11102\]"):
            gen.build_string_table(texts, "Kiron")

    def test_id_after_last_piece_must_be_free(self):
        texts = minimal_texts()
        texts[11100] = words(600)          # IDs 11100..11102, 11103 must stay free
        texts[11103] = "neighbour"
        with self.assertRaisesRegex(gen.TextError, r"\[11103\]"):
            gen.build_string_table(texts, "Kiron")
        del texts[11103]
        texts[11104] = "neighbour"
        table, runs = gen.build_string_table(texts, "Kiron")
        self.assertNotIn(11103, table)
        self.assertEqual(load_long_text(table, 11100), texts[11100])
        self.assertEqual(load_long_text(table, 11104), "neighbour")

    def test_long_text_running_into_a_single_string_fails(self):
        texts = minimal_texts()
        texts[999] = words(300)            # IDs 999..1000, but 1000 is a question
        with self.assertRaisesRegex(gen.TextError, r"\[999\].*\[1000\]"):
            gen.build_string_table(texts, "Kiron")

    def test_too_long_single_string_fails(self):
        texts = minimal_texts()
        texts[1000] = "a" * 255
        gen.build_string_table(texts, "Kiron")
        texts[1000] = "a" * 256
        with self.assertRaisesRegex(gen.TextError, r"\[1000\].*single string"):
            gen.build_string_table(texts, "Kiron")
        texts = minimal_texts()
        texts[3003] = "{board} " * 20          # short as written, too long expanded
        gen.build_string_table(texts, "Kiron")
        with self.assertRaisesRegex(gen.TextError, r"\[3003\]"):
            gen.build_string_table(texts, "Cinora Mirel Nova")

    def test_single_ids_are_never_split(self):
        for string_id in (1, 2, 4, 5, 6, 1000, 1001, 3000, 3001, 3010, 3011, 3002, 3003, 3004):
            self.assertIn(string_id, gen.SINGLE_IDS)
            texts = minimal_texts()
            texts[string_id] = "c" * 300
            with self.assertRaises(gen.TextError):
                gen.build_string_table(texts, "Kiron")

    def test_missing_required_id_fails(self):
        for string_id in (4, 1001, 3011, 21000, 13800, 15000):
            texts = minimal_texts()
            del texts[string_id]
            with self.assertRaisesRegex(gen.TextError, "missing: .*%d" % string_id):
                gen.build_string_table(texts, "Kiron")

    def test_required_ids_cover_every_text_of_the_program(self):
        expected = {1, 2, 4, 5, 6, 1000, 1001, 3000, 3001, 3010, 3011, 3002, 3003, 3004,
                    10000, 11000, 22000, 21000, 12000, 13000, 14000,
                    5000, 5100, 11100, 11200, 11300, 11400, 11500,
                    12100, 12200, 12300, 12400, 22100, 22200,
                    21100, 21200, 21300, 21400,
                    13100, 13200, 13300, 13400, 13500, 13600, 13700, 13800,
                    14100, 14200, 15000}
        self.assertEqual(set(gen.REQUIRED_IDS), expected)

    def test_more_than_100_pieces_fails(self):
        # The 4095-character text buffer normally keeps texts far below 100
        # pieces; lift it to reach the piece limit on its own.
        texts = minimal_texts()
        with mock.patch.object(gen, "LONG_TEXT_MAX", 100000):
            texts[40000] = ("r" * 250 + "\r\n") * 100     # 100 pieces of 252
            table, runs = gen.build_string_table(texts, "Kiron")
            self.assertEqual(len(runs[40000]), 100)
            self.assertEqual(load_long_text(table, 40000), texts[40000])
            texts[40000] = ("r" * 250 + "\r\n") * 101
            with self.assertRaisesRegex(gen.TextError, "101 pieces"):
                gen.build_string_table(texts, "Kiron")

    def test_text_beyond_the_text_buffer_fails(self):
        texts = minimal_texts()
        texts[40000] = "q" * 4095
        gen.build_string_table(texts, "Kiron")
        texts[40000] = "q" * 4096
        with self.assertRaisesRegex(gen.TextError, "4095"):
            gen.build_string_table(texts, "Kiron")


class EscapeTests(unittest.TestCase):
    def test_quotes_and_line_breaks(self):
        self.assertEqual(gen.rc_quote('Say "Hi"\r\nnow'), '"Say ""Hi""\\r\\nnow"')

    def test_backslash(self):
        self.assertEqual(gen.rc_quote("C:\\Windows"), '"C:\\\\Windows"')

    def test_windows_1252_characters_as_octal(self):
        self.assertEqual(gen.rc_quote("\u00e4\u00f6\u00fc\u00df\u00c4"),
                         '"\\344\\366\\374\\337\\304"')
        self.assertEqual(gen.rc_quote("\u20ac1"), '"\\2001"')   # euro sign is 0x80

    def test_character_without_windows_1252_code_fails(self):
        with self.assertRaisesRegex(gen.TextError, "Windows-1252"):
            gen.rc_quote("\u0142")

    def test_output_is_ascii_and_deterministic(self):
        texts = minimal_texts()
        texts[40000] = "Gr\u00fc\u00dfe \"quoted\"\r\n" + words(700)
        table, _ = gen.build_string_table(texts, "Orsa")
        first = gen.render_rc(table, "Orsa", "x.txt", "German", "049", 0x0407)
        second = gen.render_rc(dict(reversed(list(table.items()))), "Orsa", "x.txt", "German",
                               "049", 0x0407)
        self.assertEqual(first, second)
        first.encode("ascii")
        self.assertIn('VALUE "OriginalFilename", "OrsaQuor049.DLL"', first)
        self.assertIn('"Cinora Orsa Duo German texts for Tavolink Quorvex"', first)
        self.assertIn('BLOCK "040704E4"', first)
        self.assertIn("#pragma code_page(1252)", first)
        self.assertIn('40000, "Gr\\374\\337e ""quoted""\\r\\n', first)


class EnglishTextTests(unittest.TestCase):
    def setUp(self):
        self.texts = gen.read_texts(ENGLISH)

    def test_every_family_builds_without_warnings(self):
        for family, display_name in gen.FAMILIES.items():
            with self.subTest(family=family):
                table, runs = gen.build_string_table(self.texts, display_name)
                self.assertEqual(gen.layout_warnings(self.texts, display_name), [])
                for string_id in gen.REQUIRED_IDS:
                    self.assertTrue(load_long_text(table, string_id))

    def test_board_name_appears_and_no_placeholder_is_left(self):
        table, _ = gen.build_string_table(self.texts, "Cinora Mirel Nova")
        joined = "".join(table.values())
        self.assertIn("Cinora Mirel Nova", joined)
        self.assertNotIn("{", joined)
        self.assertNotIn("}", joined)

    def test_conventional_captions(self):
        self.assertEqual(self.texts[1], "< &Back")
        self.assertEqual(self.texts[2], "&Next >")
        self.assertEqual(self.texts[4], "&Close")
        self.assertEqual(self.texts[5], "&Help")

    def test_questions_are_questions(self):
        for string_id in (1000, 1001):
            first_line = self.texts[string_id].split("\r\n")[0]
            self.assertTrue(first_line.endswith("?"), first_line)
            self.assertIn("Yes", self.texts[string_id])
            self.assertIn("No", self.texts[string_id])

    def test_failure_texts_point_to_the_report(self):
        for string_id in (5100, 11200, 11300, 11400, 11500, 12200, 12300, 12400, 14200):
            self.assertIn("Quorvex.txt", self.texts[string_id], string_id)


class CommandLineTests(unittest.TestCase):
    def run_script(self, *args):
        return subprocess.run([sys.executable, SCRIPT] + list(args),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              universal_newlines=True)

    def test_all_families(self):
        with tempfile.TemporaryDirectory() as tmp:
            for family in gen.FAMILIES:
                out = os.path.join(tmp, family + ".rc")
                result = self.run_script("--family", family, "--texts", ENGLISH, "--out", out)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, "")
                with open(out, "rb") as handle:
                    rc = handle.read().decode("ascii")
                self.assertIn('"%sQuor001.DLL"' % family, rc)
                self.assertIn('"%s English texts for Tavolink Quorvex"' % gen.FAMILIES[family], rc)
                self.assertIn('"Tavolink Systems"', rc)
                self.assertIn("FILEVERSION 1,0,0,0", rc)
                again = os.path.join(tmp, family + "2.rc")
                self.run_script("--family", family, "--texts", ENGLISH, "--out", again)
                with open(again, "rb") as handle:
                    self.assertEqual(handle.read().decode("ascii"), rc)

    def test_failure_gives_nonzero_exit_and_message(self):
        with tempfile.TemporaryDirectory() as tmp:
            bad = os.path.join(tmp, "bad.txt")
            with open(ENGLISH, encoding="utf-8") as handle:
                content = handle.read()
            with open(bad, "w", encoding="utf-8") as handle:
                handle.write(content.replace("[1000]\n", "[1000]\n" + "x" * 300 + "\n"))
            out = os.path.join(tmp, "bad.rc")
            result = self.run_script("--family", "Mirel", "--texts", bad, "--out", out)
            self.assertEqual(result.returncode, 1)
            self.assertIn("[1000]", result.stderr)
            self.assertFalse(os.path.exists(out))
            result = self.run_script("--family", "Nobody", "--texts", ENGLISH, "--out", out)
            self.assertEqual(result.returncode, 2)

    def test_main_in_process(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "k.rc")
            stderr = io.StringIO()
            with redirect_stderr(stderr):
                self.assertEqual(gen.main(["--family", "kiron", "--texts", ENGLISH,
                                           "--out", out]), 0)
            self.assertTrue(os.path.getsize(out) > 0)


def read_res_strings(data):
    """Decode the string tables of a .res file into {id: (text, language)}."""
    strings = {}
    versions = []
    offset = 0
    while offset + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, offset)
        pos = offset + 8

        def read_name(p):
            (first,) = struct.unpack_from("<H", data, p)
            if first == 0xFFFF:
                return struct.unpack_from("<H", data, p + 2)[0], p + 4
            end = p
            while struct.unpack_from("<H", data, end)[0] != 0:
                end += 2
            return data[p:end].decode("utf-16-le"), end + 2

        res_type, pos = read_name(pos)
        res_name, pos = read_name(pos)
        language = struct.unpack_from("<H", data, offset + header_size - 10)[0]
        body = data[offset + header_size: offset + header_size + data_size]
        if res_type == 6:
            p = 0
            for index in range(16):
                (length,) = struct.unpack_from("<H", body, p)
                p += 2
                if length:
                    text = body[p:p + 2 * length].decode("utf-16-le")
                    strings[(res_name - 1) * 16 + index] = (text, language)
                p += 2 * length
        elif res_type == 16:
            versions.append(body)
        offset += header_size + data_size
        offset = (offset + 3) & ~3
    return strings, versions


@unittest.skipUnless(WINDRES, "windres not installed")
class WindresRoundTripTests(unittest.TestCase):
    def compile(self, rc_text, tmp, name):
        rc = os.path.join(tmp, name + ".rc")
        res = os.path.join(tmp, name + ".res")
        with open(rc, "wb") as handle:
            handle.write(rc_text.encode("ascii"))
        subprocess.run([WINDRES, rc, "-O", "res", "-o", res], check=True,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        with open(res, "rb") as handle:
            return read_res_strings(handle.read())

    def test_english_libraries_read_back_exactly(self):
        texts = gen.read_texts(ENGLISH)
        with tempfile.TemporaryDirectory() as tmp:
            for family, display_name in gen.FAMILIES.items():
                with self.subTest(family=family):
                    rc_text, runs, _ = gen.generate(family, ENGLISH)
                    strings, versions = self.compile(rc_text, tmp, family)
                    table = {k: v[0] for k, v in strings.items()}
                    self.assertEqual({v[1] for v in strings.values()}, {0})
                    for string_id, text in texts.items():
                        expected = gen.expand_placeholders(text, display_name)
                        if string_id in gen.SINGLE_IDS:
                            self.assertEqual(table[string_id], expected)
                        else:
                            self.assertEqual(load_long_text(table, string_id), expected)
                        for piece_id in range(string_id, string_id + len(runs[string_id])):
                            self.assertLessEqual(len(table[piece_id]), gen.PIECE_MAX)
                    self.assertEqual(len(versions), 1)
                    version = versions[0].decode("utf-16-le", "replace")
                    self.assertIn("%sQuor001.DLL" % family, version)
                    self.assertIn("%s English texts for Tavolink Quorvex" % display_name,
                                  version)
                    self.assertIn("Tavolink Systems", version)

    def test_special_characters_survive_windres(self):
        texts = minimal_texts()
        texts[40000] = ('Gr\u00fc\u00dfe aus M\u00fcnchen: \u00e4 \u00f6 \u00fc \u00c4 \u00d6 \u00dc '
                        '\u00df \u20ac "zitiert" C:\\Pfad\\Datei\r\nZeile 2 ' + words(400))
        table, _ = gen.build_string_table(texts, "Vela Prime")
        rc_text = gen.render_rc(table, "Vela", "german.txt", "German", "049", 0x0407)
        with tempfile.TemporaryDirectory() as tmp:
            strings, _ = self.compile(rc_text, tmp, "special")
        back = {k: v[0] for k, v in strings.items()}
        self.assertEqual(load_long_text(back, 40000), texts[40000])
        # What LoadStringA gives a program running under code page 1252.
        self.assertEqual(load_long_text(back, 40000).encode("cp1252"),
                         texts[40000].encode("cp1252"))


if __name__ == "__main__":
    unittest.main()
