#!/usr/bin/env python3
"""Checks that every dependency points down the declared order of the folders.

    layering.py SOURCE_DIR     reports every wrong #include, link line and include folder; exits 1 if any

The order is the one the top CMakeLists.txt builds in (KELDARA_FOLDERS, from the
bottom up: the platform layers, testkit, the outside libraries, the program's
folders, tools); tests/ and bench/ stand above all of it. Each folder may use
only the folders before it. Checked against that order:
- every #include, however spelt: <x/...> and "x/..." by the include folder that
  holds the header, "../..." by the folder the path lands in;
- every target_link_libraries line and the library lists of the project's own
  functions (keldara_library ...), by the folder that defines each target;
- every target_include_directories and include_directories folder, by the
  folders it exposes.
Besides the order: Qt is included, found and linked only in the framework's Qt
backend; FFmpeg only in the graph layer's backend, outside/ and testkit/; a
backend's own headers and library only inside the backend, not even by the rest
of its layer (the executable picks the Qt backend); testkit only by testkit, the
tests and the benchmarks. tools/, tests/ and bench/ may use every backend.
"""
import os
import posixpath
import re
import sys

SKIPPED_FOLDERS = {".git", ".ci", "assets", "cmake"}
SOURCE_EXTENSIONS = (".h", ".hpp", ".c", ".cc", ".cpp")
ABOVE_ALL = ("tests", "bench")

QT_BACKEND = "platform/vcl/qt"
FFMPEG_BACKEND = "platform/dshow/ffmpeg"
FFMPEG_ALLOWED = (FFMPEG_BACKEND, "outside", "testkit")
TEST_SUPPORT = "testkit"
# A backend's headers and library are its layer's own; the Qt backend is also
# chosen by the executable, in the topmost folder of the program.
BACKENDS = {QT_BACKEND: {"vcl_qt"}, FFMPEG_BACKEND: {"dshow_ffmpeg"}}
EXECUTABLE_PICKS = {QT_BACKEND}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r'^(Qt\w*/|Q[A-Z]\w*$)')
FFMPEG_HEADER = re.compile(r'^(libav\w*|libsw\w*|libpostproc)/')
FFMPEG_MODULE = re.compile(r'\blib(av\w+|sw\w+|postproc)\b')


def inside(path, folder):
    return path == folder or path.startswith(folder + "/")


def read_tree(root):
    """{relative path: text} of the C/C++ and CMake files below root."""
    files = {}
    for folder, dirs, names in os.walk(root):
        rel_folder = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel_folder == ".":
            # Build folders (build/, build-asan/ ...) hold copies and generated files.
            dirs[:] = [d for d in dirs if d not in SKIPPED_FOLDERS and not d.startswith("build")]
            rel_folder = ""
        for name in names:
            if name.endswith(SOURCE_EXTENSIONS) or name == "CMakeLists.txt" or name.endswith(".cmake"):
                rel = posixpath.join(rel_folder, name)
                with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                    files[rel] = f.read()
    return files


# --- CMake ------------------------------------------------------------------------------------

BRACKET_OPEN = re.compile(r'\[(=*)\[')
COMMAND_OPEN = re.compile(r'([A-Za-z_][A-Za-z0-9_]*)\s*\(')


def cmake_commands(text):
    """(command, arguments, line) for each command of a CMake file; nested
    parentheses are flattened into the arguments, comments dropped."""
    i, n, line = 0, len(text), 1
    command, args, depth, start_line = None, [], 0, 1
    word = []

    def end_word():
        if word:
            args.append("".join(word))
            word.clear()

    def bracket_end(start, m):
        """Where the bracket text opened by m at start ends, and where its closing ends."""
        close = "]" + m.group(1) + "]"
        end = text.find(close, start)
        return (n, n) if end < 0 else (end, end + len(close))

    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
        if c == "#":
            m = BRACKET_OPEN.match(text, i + 1)
            if m:
                end, after = bracket_end(i, m)
                line += text.count("\n", i, end)
                i = after
            else:
                end = text.find("\n", i)
                i = n if end < 0 else end
            continue
        if command is None:
            m = COMMAND_OPEN.match(text, i)
            if m and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
                command, args, depth, start_line = m.group(1).lower(), [], 1, line
                line += text.count("\n", i, m.end())
                i = m.end()
            else:
                i += 1
            continue
        if c == '"':
            end = i + 1
            while end < n and text[end] != '"':
                end += 2 if text[end] == "\\" else 1
            word.append(text[i + 1:end])
            line += text.count("\n", i + 1, end)
            i = end + 1
            continue
        m = BRACKET_OPEN.match(text, i) if c == "[" else None
        if m:
            end, after = bracket_end(i, m)
            word.append(text[m.end():end])
            line += text.count("\n", i, end)
            i = after
            continue
        if c in " \t\r\n":
            end_word()
        elif c == "(":
            end_word()
            depth += 1
        elif c == ")":
            end_word()
            depth -= 1
            if depth == 0:
                yield command, args, start_line
                command = None
        else:
            word.append(c)
        i += 1


DEFINING = {"add_library", "add_executable", "keldara_library", "keldara_com_server", "keldara_test",
            "keldara_bench"}
LIST_KEYWORDS = {"PUBLIC_LIBS", "PRIVATE_LIBS", "LIBS"}
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "SHARED", "STATIC", "MODULE", "OBJECT", "IMPORTED", "GLOBAL",
            "SYSTEM", "BEFORE", "AFTER", "SOURCES", "ALIAS", "LINK_PUBLIC", "LINK_PRIVATE",
            "LINK_INTERFACE_LIBRARIES", "debug", "optimized", "general"} | LIST_KEYWORDS


def defined_target(command, args):
    if command not in DEFINING or not args or "$" in args[0]:
        return None
    return "bench_" + args[0] if command == "keldara_bench" else args[0]


def linked_names(command, args):
    """The libraries a command links its first argument with."""
    if command == "target_link_libraries":
        return [a for a in args[1:] if a not in KEYWORDS]
    if command in DEFINING - {"add_library", "add_executable"}:
        names, collecting = [], False
        for a in args[1:]:
            if a in LIST_KEYWORDS:
                collecting = True
            elif a in KEYWORDS:
                collecting = False
            elif collecting:
                names.append(a)
        return names
    return []


def declared_order(files):
    """The folders of KELDARA_FOLDERS, from the bottom up."""
    for command, args, _ in cmake_commands(files.get("CMakeLists.txt", "")):
        if command == "set" and args and args[0] == "KELDARA_FOLDERS":
            return args[1:]
    raise SystemExit("layering: the top CMakeLists.txt declares no KELDARA_FOLDERS")


# --- The tree and its order -------------------------------------------------------------------

class Layers:
    """Where each path lies in the declared order."""

    def __init__(self, files):
        self.files = files
        self.order = declared_order(files)
        self.rank = {folder: i for i, folder in enumerate(self.order)}
        for folder in ABOVE_ALL:
            self.rank[folder] = len(self.order)
        # The executable's folder: the last of the program, just below tools.
        program = [f for f in self.order if not f.startswith(("platform/", "outside/")) and f not in
                   (TEST_SUPPORT, "tools")]
        self.executable = program[-1] if program else None
        # Public headers: "name/file.h" -> the folder whose include/ holds it.
        self.headers, self.header_names = {}, {}
        for rel in sorted(files):
            if not rel.endswith(SOURCE_EXTENSIONS) or "/include/" not in rel:
                continue
            owner, header = rel.split("/include/", 1)
            if self.folder_of(owner) is None:
                continue
            self.headers.setdefault(header, owner)
            if "/" in header:
                self.header_names.setdefault(header.split("/", 1)[0], set()).add(owner)
        self.targets = {}
        self.ffmpeg_packages = set()
        self.commands = {}
        for rel in sorted(files):
            if not (rel.endswith("CMakeLists.txt") or rel.endswith(".cmake")):
                continue
            commands = list(cmake_commands(files[rel]))
            self.commands[rel] = commands
            for command, args, _ in commands:
                name = defined_target(command, args)
                if name:
                    self.targets.setdefault(name, posixpath.dirname(rel))
                if command == "pkg_check_modules" and any(FFMPEG_MODULE.search(a) for a in args):
                    self.ffmpeg_packages.add(args[0])

    def folder_of(self, path):
        """The declared folder (or tests/, bench/) a path lies in; None outside them."""
        best = None
        for folder in self.rank:
            if inside(path, folder) and (best is None or len(folder) > len(best)):
                best = folder
        return best

    def backend_of(self, path):
        return next((b for b in BACKENDS if inside(path, b)), None)

    def may_use(self, user_path, used_path):
        """None if the file or folder at user_path may use what lies at used_path, else why not."""
        user, used = self.folder_of(user_path), self.folder_of(used_path)
        if user is None or used is None or user in ABOVE_ALL:
            return None
        backend = self.backend_of(used_path)
        if backend and self.backend_of(user_path) != backend and user != "tools" \
                and not (backend in EXECUTABLE_PICKS and user == self.executable):
            return f"that is the {backend} backend's own; use {used}'s public headers"
        if used == TEST_SUPPORT and user != TEST_SUPPORT:
            return "testkit is for the tests and benchmarks only"
        if self.rank[used] > self.rank[user]:
            return f"{used} comes after {user} in KELDARA_FOLDERS"
        return None


# --- The checks -------------------------------------------------------------------------------

def include_target(layers, rel, quote, spec):
    """The path an include names, relative to the source folder, or None if it names no file of ours."""
    if quote == '"' or spec.startswith("."):
        landed = posixpath.normpath(posixpath.join(posixpath.dirname(rel), spec))
        if spec.startswith(".") or landed in layers.files:
            return landed
    if spec in layers.headers:
        return layers.headers[spec] + "/include/" + spec
    owners = layers.header_names.get(spec.split("/", 1)[0]) if "/" in spec else None
    if owners:
        # A header that does not exist (yet) still names its folder: the layer's own, not a backend's.
        public = sorted(o for o in owners if not layers.backend_of(o)) or sorted(owners)
        return public[0] + "/include/" + spec
    return None


def check_includes(layers, problems):
    for rel in sorted(layers.files):
        if not rel.endswith(SOURCE_EXTENSIONS):
            continue
        folder = layers.folder_of(rel)
        if folder is None:
            continue
        for number, text in enumerate(layers.files[rel].splitlines(), 1):
            m = INCLUDE.match(text)
            if not m:
                continue
            quote, spec = m.group(1), m.group(2).strip()
            where = f"{rel}:{number}"
            if QT_HEADER.match(spec) and not inside(rel, QT_BACKEND):
                problems.append(f"{where}: Qt is included outside the framework's Qt backend")
                continue
            if FFMPEG_HEADER.match(spec) and not any(inside(rel, f) for f in FFMPEG_ALLOWED):
                problems.append(f"{where}: FFmpeg is included outside the graph backend, outside/ and testkit/")
                continue
            target = include_target(layers, rel, quote, spec)
            if target is None:
                continue
            if target.startswith("../") or layers.folder_of(target) is None:
                problems.append(f"{where}: {folder} includes {spec}, which lands outside the declared folders")
                continue
            why = layers.may_use(rel, target)
            if why:
                problems.append(f"{where}: {folder} includes {spec}: {why}")


def include_folder(layers, rel, arg):
    """The folder a target_include_directories argument names, relative to the source folder."""
    arg = re.sub(r'^\$<(BUILD_INTERFACE|BUILD_LOCAL_INTERFACE):(.*)>$', r'\2', arg)
    here = posixpath.dirname(rel)
    for variable in ("CMAKE_SOURCE_DIR", "PROJECT_SOURCE_DIR", "Keldara_SOURCE_DIR"):
        arg = arg.replace("${" + variable + "}", "<root>")
    for variable in ("CMAKE_CURRENT_SOURCE_DIR", "CMAKE_CURRENT_LIST_DIR", "CMAKE_CURRENT_FUNCTION_LIST_DIR"):
        arg = arg.replace("${" + variable + "}", "<root>/" + here if here else "<root>")
    if "$" in arg or arg in KEYWORDS or posixpath.isabs(arg):
        return None
    if arg.startswith("<root>"):
        arg = arg[len("<root>"):].lstrip("/")
    else:
        arg = posixpath.join(here, arg)
    return posixpath.normpath(arg or ".")


def check_include_folders(layers, rel, name, subject, args, where, problems):
    for arg in args:
        folder = include_folder(layers, rel, arg)
        if folder is None:
            continue
        if folder == ".." or folder.startswith("../"):
            problems.append(f"{where}: {subject} reads headers from {arg}, outside the source folder")
            continue
        # A folder above the declared ones (the source folder, platform/) exposes all of them.
        exposed = [folder] if layers.folder_of(folder) else \
            [f for f in layers.rank if folder == "." or inside(f, folder)]
        for used in exposed:
            why = layers.may_use(subject, used)
            if why:
                problems.append(f"{where}: {name} reads headers from {arg}: {why}")
                break


def check_cmake(layers, problems):
    for rel, commands in sorted(layers.commands.items()):
        here = posixpath.dirname(rel)
        if layers.folder_of(here) is None:
            continue
        for command, args, line in commands:
            where = f"{rel}:{line}"
            if command == "find_package" and args and args[0].startswith("Qt") and not inside(rel, QT_BACKEND):
                problems.append(f"{where}: Qt is found outside the framework's Qt backend")
            if command == "pkg_check_modules" and args and args[0] in layers.ffmpeg_packages \
                    and not any(inside(rel, f) for f in FFMPEG_ALLOWED):
                problems.append(f"{where}: FFmpeg is found outside the graph backend, outside/ and testkit/")
            # A target is judged by the folder that defines it, wherever the line stands.
            name = args[0] if args else ""
            subject = here if command in DEFINING else layers.targets.get(name, here)
            for linked in linked_names(command, args):
                if linked.startswith("Qt") and "::" in linked:
                    if not inside(subject, QT_BACKEND):
                        problems.append(f"{where}: {name} links {linked} outside the framework's Qt backend")
                elif linked.startswith("PkgConfig::") and linked.split("::", 1)[1] in layers.ffmpeg_packages:
                    if not any(inside(subject, f) for f in FFMPEG_ALLOWED):
                        problems.append(f"{where}: {name} links FFmpeg outside the graph backend, outside/ "
                                        f"and testkit/")
                elif linked in layers.targets:
                    used = layers.targets[linked]
                    # Of a backend's libraries only its own are private; the others are its layer's.
                    if layers.backend_of(used) and linked not in BACKENDS[layers.backend_of(used)]:
                        used = layers.folder_of(used)
                    why = layers.may_use(subject, used)
                    if why:
                        problems.append(f"{where}: {name} links {linked}: {why}")
            if command == "target_include_directories":
                check_include_folders(layers, rel, name, subject, args[1:], where, problems)
            elif command == "include_directories":
                check_include_folders(layers, rel, here, here, args, where, problems)


def check_files(files):
    layers = Layers(files)
    problems = []
    check_includes(layers, problems)
    check_cmake(layers, problems)
    return problems


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check_files(read_tree(argv[1]))
    for p in problems:
        print(p)
    print(f"layering: {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
