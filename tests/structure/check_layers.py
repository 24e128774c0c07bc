#!/usr/bin/env python3
"""Checks the source tree's layers from its #include lines.

    check_layers.py SOURCE_ROOT

- No circle of includes among the project's own files.
- The platform-free files include neither a system header of the platform nor a project file
  outside the platform-free set, so they build and are tested on any machine.
The platform-free files are those the build's list TQ_PLATFORM_FREE names (the top-level
CMakeLists.txt): a folder ending in "/", or a file without its .h or .cpp. Every entry must name a
file that exists.
Prints each fault found and exits 1 if there is one.
"""
import os
import re
import sys

PLATFORM_FREE_LIST = re.compile(r'^\s*set\(TQ_PLATFORM_FREE\s([^)]*)\)', re.MULTILINE)
PLATFORM_HEADERS = re.compile(r'^(windows|winbase|winuser|shellapi|shlobj|commctrl|commdlg|ole2|objbase|'
                              r'oleauto|exdisp|psapi|shlwapi|winreg|io|direct)\.h$', re.IGNORECASE)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
FOLDERS = ('app', 'measure', 'documents', 'setup', 'ui', 'support', 'help', 'pack', 'resources')


def project_files(root):
    for folder in FOLDERS:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if name.endswith(('.h', '.cpp')):
                    yield os.path.relpath(os.path.join(base, name), root).replace(os.sep, '/')


def platform_free_entries(root):
    with open(os.path.join(root, 'CMakeLists.txt'), encoding='utf-8') as cmake:
        match = PLATFORM_FREE_LIST.search(cmake.read())
    return match.group(1).split() if match else []


def is_platform_free(entries, path):
    for entry in entries:
        if entry.endswith('/'):
            if path.startswith(entry) and '/' not in path[len(entry):]:
                return True
        elif path in (entry + '.h', entry + '.cpp'):
            return True
    return False


def includes_of(root, path):
    found = []
    with open(os.path.join(root, path), encoding='latin-1') as source:
        for line in source:
            match = INCLUDE.match(line)
            if match:
                found.append((match.group(1), match.group(2)))
    return found


def main(root):
    files = sorted(project_files(root))
    graph = {}
    faults = []
    entries = platform_free_entries(root)
    if not entries:
        faults.append('CMakeLists.txt: no list TQ_PLATFORM_FREE')
    for entry in entries:
        if not any(is_platform_free([entry], path) for path in files):
            faults.append(f'CMakeLists.txt: TQ_PLATFORM_FREE names {entry}, which has no file')

    def platform_free(path):
        return is_platform_free(entries, path)

    for path in files:
        graph[path] = []
        for kind, name in includes_of(root, path):
            if kind == '"' and name in files:
                graph[path].append(name)
            if platform_free(path):
                if kind == '<' and PLATFORM_HEADERS.match(os.path.basename(name)):
                    faults.append(f'{path}: platform-free, yet includes <{name}>')
                elif kind == '"' and name in files and not platform_free(name):
                    faults.append(f'{path}: platform-free, yet includes the platform-side "{name}"')

    # Depth-first search for a circle of includes.
    state = {}
    stack = []

    def visit(node):
        state[node] = 'open'
        stack.append(node)
        for nxt in graph[node]:
            if state.get(nxt) == 'open':
                faults.append('circle of includes: ' + ' -> '.join(stack[stack.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 'done'

    for node in files:
        if node not in state:
            visit(node)

    checked = sum(1 for path in files if platform_free(path))
    for fault in faults:
        print(fault)
    print(f'{len(files)} files, {checked} of them platform-free: {len(faults)} faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
