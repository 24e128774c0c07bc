#!/usr/bin/env python3
"""Checks the source tree's layers from its #include lines.

    check_layers.py SOURCE_ROOT

- Every file of the project lies in a layer of the table below, and includes only files of its own
  layer and of the layers that layer is on (directly or through another).
- No circle of includes among the project's own files, nor among its parts: a part is a .cpp with
  its header, and is on another part when the .cpp includes that part's header (directly, or
  through headers without a .cpp of their own). A header that names another part's types in its
  own declarations makes no circle; a .cpp that calls into a part that calls back does.
- The platform-free files include neither a system header of the platform nor a project file
  outside the platform-free set, so they build and are tested on any machine.
The platform-free files are those the build's list TQ_PLATFORM_FREE names (the top-level
CMakeLists.txt): a folder ending in "/", or a file without its .h or .cpp. Every entry must name a
file that exists. A layer the table marks platform-free holds only such files, and a platform-free
file of a folder that has such a layer lies in it.
The README's layout section shows the same table; it must read as table_text() writes it.
Prints each fault found and exits 1 if there is one.
"""
import os
import re
import sys

# The layers, bottom first: (name, the files it holds, the layers it is on, platform-free).
# A file is named without its .h or .cpp; a folder ends in "/". A file lies in the layer whose
# entry names it most closely: by its own name before its folder's.
LAYERS = (
    ('resources', ['resources/'], [], False),
    ('support text', ['support/byte_fields', 'support/path_text', 'support/date_text', 'support/stored_forms',
                      'support/plain_object'], [], True),
    ('measure', ['measure/'], [], True),
    ('pricing', ['pricing/'], ['measure'], True),
    ('documents', ['documents/'], ['measure', 'support text'], True),
    ('support', ['support/'], ['support text'], False),
    ('ui', ['ui/'], ['support', 'resources'], False),
    ('setup layout', ['setup/setup_layout', 'setup/pe_signature', 'setup/exe_type', 'setup/folder_access'],
     ['support text'], True),
    ('setup', ['setup/'], ['ui', 'support', 'setup layout'], False),
    ('app', ['app/'], ['setup', 'documents', 'pricing'], False),
    ('help', ['help/'], ['support text', 'setup layout'], False),
    ('pack', ['pack/'], ['support text', 'setup layout'], False),
    ('fuzz', ['fuzz/'], ['app', 'unit tests'], False),
    ('bench', ['bench/'], ['app', 'unit tests'], False),
    ('unit tests', ['tests/unit/'], ['app'], False),
    ('tests', ['tests/'], ['app', 'unit tests'], False),
)
# The layers whose programs are built natively (and some also for Windows), which TQ_PLATFORM_FREE
# does not name: of the others' files they include only platform-free ones.
NATIVE_LAYERS = {'fuzz', 'bench', 'unit tests'}
README_SECTION = 'Layout'

PLATFORM_FREE_LIST = re.compile(r'^\s*set\(TQ_PLATFORM_FREE\s([^)]*)\)', re.MULTILINE)
PLATFORM_HEADERS = re.compile(r'^(windows|winbase|winuser|shellapi|shlobj|commctrl|commdlg|ole2|objbase|'
                              r'oleauto|exdisp|psapi|shlwapi|winreg|io|direct)\.h$', re.IGNORECASE)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
FOLDERS = ('app', 'measure', 'pricing', 'documents', 'setup', 'ui', 'support', 'help', 'pack', 'resources',
           'fuzz', 'bench', 'tests')


def table_text():
    """The table as the README shows it: two lines per layer, bottom first."""
    lines = []
    for name, members, below, free in LAYERS:
        on = ', '.join(below) if below else 'nothing'
        lines.append(f'{name:<13} {" ".join(members)}{"  (platform-free)" if free else ""}')
        lines.append(f'{"":<13}   on {on}')
    return lines


def project_files(root):
    for folder in FOLDERS:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in names:
                if name.endswith(('.h', '.cpp')):
                    yield os.path.relpath(os.path.join(base, name), root).replace(os.sep, '/')


def stem(path):
    return path.rsplit('.', 1)[0]


def names(entry, path, below=True):
    """How closely an entry names the file: 0 not at all, else more is closer. A folder holds the
    folders below it too, unless below is false."""
    if entry.endswith('/'):
        inside = path.startswith(entry) and (below or '/' not in path[len(entry):])
        return len(entry) if inside else 0
    return len(entry) + 1000 if stem(path) == entry else 0


def layer_of(path):
    best, closeness = None, 0
    for name, members, _, _ in LAYERS:
        for entry in members:
            if names(entry, path) > closeness:
                best, closeness = name, names(entry, path)
    return best


def layers_below():
    """Each layer's own name and every layer it is on, directly or through another."""
    direct = {name: below for name, _, below, _ in LAYERS}
    reach = {}
    for name in direct:
        seen, todo = {name}, list(direct[name])
        while todo:
            nxt = todo.pop()
            if nxt not in seen:
                seen.add(nxt)
                todo.extend(direct[nxt])
        reach[name] = seen
    return reach


def platform_free_entries(root):
    with open(os.path.join(root, 'CMakeLists.txt'), encoding='utf-8') as cmake:
        match = PLATFORM_FREE_LIST.search(cmake.read())
    return match.group(1).split() if match else []


def is_platform_free(entries, path):
    return any(names(entry, path, below=False) for entry in entries)


def includes_of(root, path):
    found = []
    with open(os.path.join(root, path), encoding='latin-1') as source:
        for line in source:
            match = INCLUDE.match(line)
            if match:
                found.append((match.group(1), match.group(2)))
    return found


def circles(graph, faults, what):
    """Depth-first search for a circle in the graph; each found is added to faults."""
    state = {}
    stack = []

    def visit(node):
        state[node] = 'open'
        stack.append(node)
        for nxt in graph[node]:
            if state.get(nxt) == 'open':
                faults.append(f'circle of {what}: ' + ' -> '.join(stack[stack.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 'done'

    for node in sorted(graph):
        if node not in state:
            visit(node)


def part_graph(files, graph):
    """The parts' graph, from what each part's .cpp includes; a header alone is read through."""
    stems = {stem(path) for path in files if path.endswith('.cpp')}

    def part(path):
        return stem(path) if stem(path) in stems else None

    parts = {name: set() for name in stems}
    for path in files:
        source = part(path)
        if source is None or not path.endswith('.cpp'):
            continue
        seen, todo = set(), list(graph[path])
        while todo:
            nxt = todo.pop()
            if nxt in seen:
                continue
            seen.add(nxt)
            target = part(nxt)
            if target is None:
                todo.extend(graph[nxt])
            elif target != source:
                parts[source].add(target)
    return {name: sorted(targets) for name, targets in parts.items()}


def check_readme(root, faults):
    try:
        with open(os.path.join(root, 'README.md'), encoding='utf-8') as readme:
            text = readme.read()
    except OSError:
        faults.append('README.md: not found')
        return
    section = re.search(r'^## ' + README_SECTION + r'\n(.*?)(?=^## |\Z)', text, re.MULTILINE | re.DOTALL)
    shown = section.group(1).splitlines() if section else []
    want = ['    ' + line for line in table_text()]  # a block of code in the README
    for start in range(len(shown)):
        if [line.rstrip() for line in shown[start:start + len(want)]] == want:
            return
    faults.append(f'README.md: its "## {README_SECTION}" section does not show the layers as the layer test '
                  'holds them; it should have these lines:\n' + '\n'.join(want))


def main(root):
    files = sorted(project_files(root))
    file_set = set(files)
    graph = {}
    faults = []
    entries = platform_free_entries(root)
    if not entries:
        faults.append('CMakeLists.txt: no list TQ_PLATFORM_FREE')
    for entry in entries:
        if not any(is_platform_free([entry], path) for path in files):
            faults.append(f'CMakeLists.txt: TQ_PLATFORM_FREE names {entry}, which has no file')
    for name, members, _, _ in LAYERS:
        for entry in members:
            if not any(names(entry, path) for path in files):
                faults.append(f'check_layers.py: the layer "{name}" names {entry}, which has no file')

    def platform_free(path):
        return is_platform_free(entries, path)

    reach = layers_below()
    free_layers = {name for name, _, _, free in LAYERS if free}
    free_folders = {name: {entry.split('/')[0] for entry in members} for name, members, _, free in LAYERS if free}
    for path in files:
        layer = layer_of(path)
        if layer is None:
            faults.append(f'{path}: in no layer of the table')
            continue
        if layer in free_layers and not platform_free(path):
            faults.append(f'{path}: in the platform-free layer "{layer}", yet not in TQ_PLATFORM_FREE')
        if layer not in free_layers and platform_free(path):
            for free_layer, folders in free_folders.items():
                if path.split('/')[0] in folders:
                    faults.append(f'{path}: platform-free, yet in the layer "{layer}" and not in "{free_layer}"')
        graph[path] = []
        for kind, name in includes_of(root, path):
            if kind == '"' and name in file_set:
                graph[path].append(name)
                target = layer_of(name)
                if target not in reach[layer]:
                    on = ', '.join(sorted(reach[layer] - {layer}))
                    faults.append(f'{path}: the layer "{layer}" includes "{name}" of the layer "{target}"; ' +
                                  (f'it is on {on} only' if on else 'it is on no other layer'))
                elif layer in NATIVE_LAYERS and target not in NATIVE_LAYERS and not platform_free(name):
                    faults.append(f'{path}: built natively, yet includes the platform-side "{name}"')
            if platform_free(path):
                if kind == '<' and PLATFORM_HEADERS.match(os.path.basename(name)):
                    faults.append(f'{path}: platform-free, yet includes <{name}>')
                elif kind == '"' and name in file_set and not platform_free(name):
                    faults.append(f'{path}: platform-free, yet includes the platform-side "{name}"')

    circles(graph, faults, 'includes')
    circles(part_graph(files, graph), faults, 'parts (a .cpp with its header)')
    check_readme(root, faults)

    checked = sum(1 for path in files if platform_free(path))
    for fault in faults:
        print(fault)
    print(f'{len(files)} files in {len(LAYERS)} layers, {checked} of them platform-free: {len(faults)} faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
