#!/usr/bin/env python3
"""Applies identifier and file renames to a C++ tree.

usage: apply.py TREE MAP.tsv [MAP.tsv ...] [--check]

Map lines (tab separated; '#' starts a comment line):
  SCOPE <tab> OLD <tab> NEW     rename identifier OLD to NEW in files under SCOPE
                                ('*' = everywhere; 'compiler/' a folder; 'compiler/x.cpp' one file;
                                 the longest matching scope wins)
  FILE  <tab> OLD_PATH <tab> NEW_PATH   git mv, and every #include "OLD_PATH" / CMake mention updated

Identifiers are renamed in code (never inside string or character literals). In comments,
and in Markdown files, only where the name is in backticks or is a compound name (has an
underscore or an inner capital), so plain words of prose stay as they are.
"""
import os, re, subprocess, sys

def load(paths):
    ids, files = {}, []
    for p in paths:
        for n, line in enumerate(open(p, encoding='utf-8'), 1):
            line = line.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            parts = line.split('\t')
            if len(parts) != 3:
                sys.exit(f'{p}:{n}: expected 3 tab-separated fields')
            scope, old, new = (x.strip() for x in parts)
            if scope == 'FILE':
                files.append((old, new)); continue
            key = (scope, old)
            if key in ids and ids[key] != new:
                sys.exit(f'{p}:{n}: {old} in {scope} mapped to both {ids[key]} and {new}')
            ids[key] = new
    by_name = {}
    for (scope, old), new in ids.items():
        by_name.setdefault(old, []).append((scope, new))
    return by_name, files

def target(by_name, name, path):
    best = None
    for scope, new in by_name.get(name, ()):
        if scope == '*' or path == scope or (scope.endswith('/') and path.startswith(scope)):
            l = -1 if scope == '*' else len(scope)
            if best is None or l > best[0]:
                best = (l, new)
    return None if best is None else best[1]

IDENT = re.compile(r'[A-Za-z_][A-Za-z0-9_]*')

def compound(name):
    return '_' in name.strip('_') or re.search(r'[a-z][A-Z]', name) is not None

def rename_prose(text, by_name, path):
    # backticked names, and compound names anywhere in the prose
    def tick(m):
        inner = m.group(1)
        return '`' + IDENT.sub(lambda k: target(by_name, k.group(0), path) or k.group(0), inner) + '`'
    out = []
    for i, chunk in enumerate(re.split(r'(`[^`\n]*`)', text)):
        if i % 2:
            out.append(re.sub(r'`([^`\n]*)`', tick, chunk))
        else:
            out.append(IDENT.sub(lambda k: (target(by_name, k.group(0), path) if compound(k.group(0)) else None) or k.group(0), chunk))
    return ''.join(out)

def rename_cpp(src, by_name, path):
    out, i, n = [], 0, len(src)
    code_start = 0
    def flush_code(end):
        seg = src[code_start:end]
        out.append(IDENT.sub(lambda k: target(by_name, k.group(0), path) or k.group(0), seg))
    while i < n:
        c = src[i]
        if src.startswith('//', i):
            flush_code(i); j = src.find('\n', i); j = n if j < 0 else j
            out.append(rename_prose(src[i:j], by_name, path)); i = code_start = j; continue
        if src.startswith('/*', i):
            flush_code(i); j = src.find('*/', i + 2); j = n if j < 0 else j + 2
            out.append(rename_prose(src[i:j], by_name, path)); i = code_start = j; continue
        m = re.match(r'(?:u8|u|U|L)?R"([^(\s]{0,16})\(', src[i:i+24])
        if m and (i == 0 or not (src[i-1].isalnum() or src[i-1] == '_')):
            flush_code(i); end = src.find(')' + m.group(1) + '"', i + m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(src[i:j]); i = code_start = j; continue
        if c == '"' or (c == "'" and not (i > 0 and src[i-1].isalnum())):  # ' as digit separator stays code
            flush_code(i); j = i + 1
            while j < n and src[j] != c:
                j += 2 if src[j] == '\\' else 1
            j += 1
            out.append(src[i:j]); i = code_start = j; continue
        if IDENT.match(src, i) and (i == 0 or not (src[i-1].isalnum() or src[i-1] == '_')):
            m2 = IDENT.match(src, i); i = m2.end(); continue
        i += 1
    flush_code(n)
    return ''.join(out)

CMAKE_CALL = re.compile(r'\b(sc_library|sc_program|sc_unit_tests)\((\s*\S+\s+)(\S+)([^)]*)\)')

def move_cmake_sources(text, moves):
    """Source lists name files inside the call's folder: follow the moves."""
    def call(m):
        dir_ = m.group(3)
        new_dirs = set()
        def source(k):
            old = dir_ + '/' + k.group(0)
            if old not in moves:
                new_dirs.add(dir_)
                return k.group(0)
            sub = os.path.dirname(k.group(0))  # a subfolder of the call's folder
            top = os.path.dirname(moves[old])
            if sub:
                top = top[:-len(sub) - 1] if top.endswith('/' + sub) else top
            new_dirs.add(top)
            return os.path.relpath(moves[old], top)
        body = re.sub(r'[\w./-]+\.cpp\b', source, m.group(4))
        if len(new_dirs) > 1:
            sys.exit(f'CMake: {m.group(0)[:60]} would span folders {sorted(new_dirs)}')
        new_dir = new_dirs.pop() if new_dirs else dir_
        return f'{m.group(1)}({m.group(2)}{new_dir}{body})'
    return CMAKE_CALL.sub(call, text)

def main():
    args = [a for a in sys.argv[1:] if not a.startswith('--')]
    tree, maps = args[0], args[1:]
    by_name, files = load(maps)
    os.chdir(tree)
    for old, new in files:
        if os.path.exists(old):
            os.makedirs(os.path.dirname(new) or '.', exist_ok=True)
            subprocess.run(['git', 'mv', old, new], check=True)
    changed = 0
    for root, dirs, names in os.walk('.'):
        dirs[:] = [d for d in dirs if not d.startswith('.') and not d.startswith('build')]
        for name in names:
            path = os.path.relpath(os.path.join(root, name))
            if not name.endswith(('.cpp', '.h', '.md', '.txt', '.sh', '.dict', '.py', 'Makefile')):
                continue
            text = open(path, encoding='utf-8', errors='surrogateescape').read()
            new = text
            if name == 'CMakeLists.txt':
                new = move_cmake_sources(new, dict(files))
            for old, nw in files:  # include paths, CMake and script mentions
                new = new.replace(old, nw)
            if name.endswith(('.cpp', '.h')):
                new = rename_cpp(new, by_name, path)
            elif name.endswith('.md'):
                new = rename_prose(new, by_name, path)
            if new != text:
                open(path, 'w', encoding='utf-8', errors='surrogateescape').write(new)
                changed += 1
    print(f'{changed} files changed, {len(files)} files moved')

if __name__ == '__main__':
    main()
