#!/usr/bin/env python3
"""Tests of check_naming.py over small trees written for each case."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, 'check_naming.py')
README = os.path.join(HERE, '..', 'README.md')


def run_checker(files):
    """Writes files ({path: text}) into a fresh tree and runs the checker on it."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, 'w', encoding='utf-8') as f:
                f.write(text)
        r = subprocess.run([sys.executable, CHECKER, root, '--readme', README],
                           capture_output=True, text=True)
        return r.returncode, r.stdout


class CheckNamingTest(unittest.TestCase):
    def test_reports_italian_names(self):
        cases = [
            # (files, the line expected in the report)
            ({'a/x.cpp': 'int scrivi_riga;\n'}, 'a/x.cpp:1:5: scrivi_riga (scrivi)'),
            ({'a/x.h': 'struct Opzioni {};\n'}, 'a/x.h:1:8: Opzioni (opzioni)'),
            ({'a/x.cpp': 'int ok;\nvoid f(int valoreLetto);\n'}, 'a/x.cpp:2:12: valoreLetto (letto)'),
            ({'a/x.cpp': 'auto s = u8"x"; int passo;\n'}, 'a/x.cpp:1:21: passo (passo)'),
            ({'a/x.cpp': "int n = 1'000; int conta;\n"}, 'a/x.cpp:1:20: conta (conta)'),
            ({'a/x.cpp': 'auto s = R"(")"; int voce;\n'}, 'a/x.cpp:1:22: voce (voce)'),
            ({'a/scrivi_testo.cpp': 'int x;\n'}, 'a/scrivi_testo.cpp:1:1: scrivi_testo.cpp (scrivi, testo)'),
            ({'lettore/x.cpp': 'int x;\n'}, 'lettore:1:1: lettore (lettore)'),
        ]
        for files, expected in cases:
            with self.subTest(files=files):
                status, out = run_checker(files)
                self.assertEqual(status, 1)
                self.assertIn(expected, out.splitlines())

    def test_accepts_clean_code(self):
        files = {
            'compiler/reader.cpp':
                '// scrivi_riga in a comment\n'
                '/* Opzioni */\n'
                'const char* text = "scrivi_riga, \\"voce\\"";\n'
                "char quote = '\\'';\n"
                'auto raw = R"x(passo "voce")x";\n'
                'int file_data_base;  // words of both languages\n'
                'struct Cella { int valore_1; int pendenza; };  // glossary words\n'
                'int codice_errore, numero_treno;\n',
            'model/percorso.h': 'void memorizza_percorso(int j);\n',
        }
        status, out = run_checker(files)
        self.assertEqual(out, '')
        self.assertEqual(status, 0)


if __name__ == '__main__':
    unittest.main()
