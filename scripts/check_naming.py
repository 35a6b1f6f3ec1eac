#!/usr/bin/env python3
"""Checks the naming rule: a name is Italian only where the glossary allows it.

usage: check_naming.py [ROOT] [--readme README.md] [--list]

Every identifier of the C++ sources under ROOT (*.cpp, *.h; outside comments,
string and character literals) and every folder and file name of those sources
is split into words (snake_case and CamelCase). A word is Italian when Debian's
Italian word list (/usr/share/dict/italian, package witalian) holds it and the
English one (/usr/share/dict/american-english, package wamerican) does not
("file", "data", "base", "note" belong to both and prove nothing). An Italian
word must be in the glossary: the table of README.md's "Naming" section whose
first column is "Italian name". Each name holding another Italian word is
reported as FILE:LINE:COLUMN: IDENTIFIER (word); the exit status is 1 when
anything is reported, 0 otherwise.

--list prints each offending identifier once instead, with its words, the
number of its uses and where it is first used.
"""
import argparse
import os
import re
import sys

ITALIAN_WORDS = '/usr/share/dict/italian'
ENGLISH_WORDS = '/usr/share/dict/american-english'

# Words neither list decides sensibly:
ALLOWED = {
    # Common abbreviations of the machinery that happen to be Italian words.
    'len',    # length
    'cmd',    # command
    'msg',    # message
    'ref',    # reference
    'ext',    # extension
    'tmp',    # temporary
    'buf',    # buffer
    'exe',    # executable
    'env',    # environment
    'dir',    # directory
    'io',     # input/output
    'ne',     # not equal (EXPECT_NE)
    'le',     # less or equal (EXPECT_LE); little-endian (byte_le)
    'va',     # variable arguments (va_list, va_start)
    'sa',     # struct sigaction (sa_handler, sa_mask)
    'stime',  # system time of struct rusage (ru_stime)
    'unix',   # AF_UNIX
    'ostream', 'istream', 'iostream', 'fstream', 'sstream',  # standard library
    # English words missing from the English list.
    'args',   # arguments
    'ascii',
    'csv',
    'fuzz', 'fuzzer',
    'gtest',
    'inotify',
    'json',
    'libc',
    'png',
    'svg',
    'utf',
    'xdg',
}

SOURCE_SUFFIXES = ('.cpp', '.h')
IDENT = re.compile(r'[A-Za-z_][A-Za-z0-9_]*')
# One word of an identifier: an upper-case run not followed by lower case
# (an acronym), a capitalised or lower-case word, or digits.
WORD = re.compile(r'[A-Z]+(?![a-z])|[A-Z]?[a-z]+|[0-9]+')


def load_words(path):
    try:
        with open(path, encoding='utf-8') as f:
            return {line.strip() for line in f if line.strip()}
    except OSError as e:
        sys.exit(f'check_naming: cannot read {path} ({e.strerror}); install the word lists '
                 '(scripts/install-deps.sh: witalian, wamerican)')


def load_glossary(readme):
    """The first column of the table after the 'Italian name' header in the Naming section."""
    words, in_naming, in_table = set(), False, False
    with open(readme, encoding='utf-8') as f:
        for line in f:
            if line.startswith('#'):
                in_naming = line.strip().lstrip('#').strip() == 'Naming'
                in_table = False
                continue
            if not in_naming:
                continue
            cells = [c.strip() for c in line.strip().strip('|').split('|')]
            if line.lstrip().startswith('|') and cells and cells[0] == 'Italian name':
                in_table = True
                continue
            if in_table:
                if not line.lstrip().startswith('|'):
                    in_table = False
                    continue
                word = cells[0].strip('`').strip()
                if word and not set(word) <= set('-: '):
                    words.add(word.lower())
    if not words:
        sys.exit(f'check_naming: no glossary table (| Italian name | English gloss |) '
                 f'in the Naming section of {readme}')
    return words


def split_words(name):
    return [w.lower() for w in WORD.findall(name)]


def code_identifiers(src):
    """Yields (offset, identifier) of the code outside comments and literals."""
    i, n = 0, len(src)
    while i < n:
        c = src[i]
        if src.startswith('//', i):
            j = src.find('\n', i)
            i = n if j < 0 else j
            continue
        if src.startswith('/*', i):
            j = src.find('*/', i + 2)
            i = n if j < 0 else j + 2
            continue
        if c.isalpha() or c == '_':
            m = IDENT.match(src, i)
            raw = re.match(r'(?:u8|u|U|L)?R"([^()\\\s]{0,16})\(', src[i:i + 24])
            if raw:
                end = src.find(')' + raw.group(1) + '"', i + raw.end())
                i = n if end < 0 else end + len(raw.group(1)) + 2
                continue
            prefix = re.match(r'(?:u8|u|U|L)(?=["\'])', src[i:i + 3])
            if prefix:
                i += prefix.end()
                continue
            yield i, m.group(0)
            i = m.end()
            continue
        if c.isdigit():  # a number, with its ' digit separators and suffixes
            m = re.match(r"[0-9](?:[0-9A-Za-z_.]|'(?=[0-9A-Za-z]))*", src[i:])
            i += m.end()
            continue
        if c in '"\'':
            j = i + 1
            while j < n and src[j] != c and src[j] != '\n':
                j += 2 if src[j] == '\\' else 1
            i = j + 1
            continue
        i += 1


def source_files(root):
    for top, dirs, names in os.walk(root):
        dirs[:] = sorted(d for d in dirs if not d.startswith('.') and not d.startswith('build'))
        for name in sorted(names):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(top, name), root)


def main():
    ap = argparse.ArgumentParser(description='Reports names that break the naming rule.')
    ap.add_argument('root', nargs='?', default='.')
    ap.add_argument('--readme', help='README.md holding the glossary (default ROOT/README.md)')
    ap.add_argument('--list', action='store_true', help='each offending identifier once')
    args = ap.parse_args()

    italian = load_words(ITALIAN_WORDS)
    english = load_words(ENGLISH_WORDS)
    glossary = load_glossary(args.readme or os.path.join(args.root, 'README.md'))
    verdicts = {}

    def foreign(name):
        """The words of name that are Italian and not allowed."""
        out = []
        for w in split_words(name):
            if w not in verdicts:
                verdicts[w] = (len(w) > 1 and w in italian and w not in english
                               and w not in glossary and w not in ALLOWED)
            if verdicts[w]:
                out.append(w)
        return out

    findings = []  # (path, line, column, name, words)
    seen_paths = set()
    for path in source_files(args.root):
        parts = path.split(os.sep)
        for k, part in enumerate(parts):
            prefix = os.sep.join(parts[:k + 1])
            if prefix in seen_paths:
                continue
            seen_paths.add(prefix)
            stem = part if k < len(parts) - 1 else os.path.splitext(part)[0]
            words = foreign(stem)
            if words:
                findings.append((prefix, 1, 1, part, words))
        with open(os.path.join(args.root, path), encoding='utf-8', errors='replace') as f:
            src = f.read()
        line_starts = [0] + [m.end() for m in re.finditer('\n', src)]
        line = 0
        for offset, name in code_identifiers(src):
            words = foreign(name)
            if not words:
                continue
            while line + 1 < len(line_starts) and line_starts[line + 1] <= offset:
                line += 1
            findings.append((path, line + 1, offset - line_starts[line] + 1, name, words))

    if args.list:
        names = {}
        for path, line, col, name, words in findings:
            entry = names.setdefault(name, [words, 0, f'{path}:{line}:{col}'])
            entry[1] += 1
        for name in sorted(names):
            words, count, first = names[name]
            print(f'{name}\t{",".join(words)}\t{count}\t{first}')
    else:
        for path, line, col, name, words in findings:
            print(f'{path}:{line}:{col}: {name} ({", ".join(words)})')
    if findings:
        count = len({f[3] for f in findings})
        print(f'check_naming: {len(findings)} uses of {count} names hold Italian words '
              'outside the glossary', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
