#!/usr/bin/env python3
"""Checks that dependencies point down: program -> outside -> platform.

    layering.py SOURCE_DIR     reports every wrong #include or link line, exits 1 if any
    layering.py --self-test    runs the checks over a small tree with one fault of each kind

Reads the #include lines of every C/C++ file and the link and include-folder
lines of every CMake file. A folder's layer is decided by where it lies:
platform/ is the bottom, outside/ above it, the program's folders above that,
and tools/, tests/ and bench/ may use everything. Besides the order of the layers:
Qt is included and linked only in the framework's Qt backend; FFmpeg only in the
graph layer's backend, outside/ and testkit/; the graph backend's own headers
(dshow_ffmpeg/) only inside the graph layer, the tests and the benchmarks; and
testkit only by the tests and the benchmarks.
"""
import os
import re
import sys
import tempfile

PLATFORM, OUTSIDE, PROGRAM, TOP = 0, 1, 2, 3
LAYER_NAMES = {PLATFORM: "platform", OUTSIDE: "outside", PROGRAM: "program", TOP: "tools and tests"}
TOP_FOLDERS = {"tools", "tests", "bench"}
SKIPPED_FOLDERS = {".git", "assets", "cmake", ".ci"}
SOURCE_EXTENSIONS = (".h", ".hpp", ".c", ".cc", ".cpp")

QT_BACKEND = "platform/vcl/qt/"
FFMPEG_ALLOWED = ("platform/dshow/ffmpeg/", "outside/", "testkit/")
GRAPH_BACKEND_HEADERS = "dshow_ffmpeg"
GRAPH_BACKEND_USERS = ("platform/dshow/", "tests/", "bench/")
TEST_SUPPORT = "testkit"
TEST_SUPPORT_USERS = ("testkit/", "tests/", "bench/")

QT_INCLUDE = re.compile(r'#\s*include\s*<Q[A-Za-z0-9_]*(/[^>]*)?>')
FFMPEG_INCLUDE = re.compile(r'#\s*include\s*[<"](libav\w*|libsw\w*|libpostproc)/')
PROJECT_INCLUDE = re.compile(r'#\s*include\s*[<"]([A-Za-z0-9_]+)/[^>"]+[>"]')
FFMPEG_MODULE = re.compile(r'\blib(av\w+|sw\w+|postproc)\b')


def layer_of(path):
    """The layer of a path relative to the source folder (forward slashes)."""
    top = path.split("/", 1)[0]
    if top == "platform":
        return PLATFORM
    if top in ("outside", TEST_SUPPORT):
        return OUTSIDE
    if top in TOP_FOLDERS:
        return TOP
    return PROGRAM


def walk(root, extensions=None, names=None):
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel_folder == ".":
            rel_folder = ""
            # Build folders (build/, build-asan/ ...) hold copies and generated files.
            dirs[:] = [d for d in dirs if d not in SKIPPED_FOLDERS and not d.startswith("build")]
        for f in sorted(files):
            if (extensions and f.endswith(extensions)) or (names and (f in names or f.endswith(".cmake"))):
                yield (rel_folder + "/" + f).lstrip("/")


def header_folders(root):
    """Maps each public header folder name (rtl, dshow, mux ...) to its layer."""
    folders = {}
    for folder, dirs, _ in os.walk(root):
        rel = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel.split("/", 1)[0] in SKIPPED_FOLDERS or rel.startswith("build"):
            dirs[:] = []
            continue
        if os.path.basename(folder) == "include":
            for d in dirs:
                layer = layer_of(rel)
                folders[d] = min(layer, folders.get(d, layer))
            dirs[:] = []
    return folders


def check_includes(root, problems):
    folders = header_folders(root)
    for rel in walk(root, extensions=SOURCE_EXTENSIONS):
        layer = layer_of(rel)
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            lines = f.readlines()
        for number, line in enumerate(lines, 1):
            if "include" not in line:
                continue
            where = f"{rel}:{number}"
            if QT_INCLUDE.search(line) and not rel.startswith(QT_BACKEND):
                problems.append(f"{where}: Qt is included outside the framework's Qt backend")
                continue
            if FFMPEG_INCLUDE.search(line) and not rel.startswith(FFMPEG_ALLOWED):
                problems.append(f"{where}: FFmpeg is included outside the graph backend, outside/ and testkit/")
                continue
            m = PROJECT_INCLUDE.search(line)
            if not m or m.group(1) not in folders:
                continue
            name = m.group(1)
            if name == GRAPH_BACKEND_HEADERS and not rel.startswith(GRAPH_BACKEND_USERS):
                problems.append(f"{where}: {name}/ is the graph backend's own; include the public dshow/ headers")
            elif name == TEST_SUPPORT and not rel.startswith(TEST_SUPPORT_USERS):
                problems.append(f"{where}: testkit/ is for the tests and benchmarks only")
            elif folders[name] > layer:
                problems.append(f"{where}: the {LAYER_NAMES[layer]} layer includes {name}/ of the "
                                f"{LAYER_NAMES[folders[name]]} layer above it")


def cmake_commands(text):
    """(command, arguments, line) for each command of a CMake file."""
    text = re.sub(r'#[^\n]*', "", text)
    for m in re.finditer(r'\b([A-Za-z_][A-Za-z0-9_]*)\s*\(([^()]*)\)', text):
        yield m.group(1).lower(), m.group(2).split(), text.count("\n", 0, m.start()) + 1


DEFINING = {"add_library", "add_executable", "keldara_library", "keldara_com_server", "keldara_test",
            "keldara_bench"}
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "SHARED", "STATIC", "MODULE", "OBJECT", "IMPORTED", "GLOBAL",
            "SYSTEM", "BEFORE", "AFTER", "SOURCES", "PUBLIC_LIBS", "PRIVATE_LIBS", "LIBS", "ALIAS"}


def linked_names(command, args):
    """The libraries a command links its target with."""
    if command == "target_link_libraries":
        return args[1:]
    if command in ("keldara_library", "keldara_com_server", "keldara_test", "keldara_bench"):
        names, collecting = [], False
        for a in args[1:]:
            if a in ("PUBLIC_LIBS", "PRIVATE_LIBS", "LIBS"):
                collecting = True
            elif a in KEYWORDS:
                collecting = False
            elif collecting:
                names.append(a)
        return names
    return []


def check_cmake(root, problems):
    files = list(walk(root, names={"CMakeLists.txt"}))
    targets, ffmpeg_packages = {}, set()
    parsed = []
    for rel in files:
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            commands = list(cmake_commands(f.read()))
        parsed.append((rel, commands))
        for command, args, _ in commands:
            if command in DEFINING and args and "$" not in args[0]:
                name = "bench_" + args[0] if command == "keldara_bench" else args[0]
                targets[name] = layer_of(rel)
            if command == "pkg_check_modules" and any(FFMPEG_MODULE.search(a) for a in args):
                ffmpeg_packages.add(args[0])
    for rel, commands in parsed:
        layer = layer_of(rel)
        for command, args, line in commands:
            where = f"{rel}:{line}"
            if command == "find_package" and args and args[0].startswith("Qt") and not rel.startswith(QT_BACKEND):
                problems.append(f"{where}: Qt is found outside the framework's Qt backend")
            if command == "pkg_check_modules" and args and args[0] in ffmpeg_packages \
                    and not rel.startswith(FFMPEG_ALLOWED):
                problems.append(f"{where}: FFmpeg is used outside the graph backend, outside/ and testkit/")
            for name in linked_names(command, args):
                if name.startswith("Qt") and "::" in name and not rel.startswith(QT_BACKEND):
                    problems.append(f"{where}: {name} is linked outside the framework's Qt backend")
                elif name.startswith("PkgConfig::") and name.split("::", 1)[1] in ffmpeg_packages \
                        and not rel.startswith(FFMPEG_ALLOWED):
                    problems.append(f"{where}: FFmpeg is linked outside the graph backend, outside/ and testkit/")
                elif name == TEST_SUPPORT and not rel.startswith(TEST_SUPPORT_USERS):
                    problems.append(f"{where}: testkit is linked outside the tests and benchmarks")
                elif name in targets and targets[name] > layer:
                    problems.append(f"{where}: the {LAYER_NAMES[layer]} layer links {name} of the "
                                    f"{LAYER_NAMES[targets[name]]} layer above it")
            if command == "target_include_directories":
                for a in args[1:]:
                    m = re.match(r'\$\{CMAKE_SOURCE_DIR\}/(.+)', a)
                    if m and layer_of(m.group(1)) > layer:
                        problems.append(f"{where}: the {LAYER_NAMES[layer]} layer reads headers of "
                                        f"{m.group(1)}, a layer above it")


def check(root):
    problems = []
    check_includes(root, problems)
    check_cmake(root, problems)
    return problems


# A small tree: each file below holds one fault the checks must report.
SELF_TEST_TREE = {
    "platform/rtl/include/rtl/sysutils.h": '#pragma once\n#include <string>\n',
    "platform/rtl/src/sysutils.cpp": '#include "rtl/sysutils.h"\n#include "shell/startup.h"\n',
    "platform/rtl/CMakeLists.txt": 'keldara_library(rtl SOURCES src/sysutils.cpp PUBLIC_LIBS KVRENCODER)\n',
    "platform/vcl/src/forms.cpp": '#include <QWidget>\n',
    "platform/vcl/qt/src/qtbackend.cpp": '#include <QtWidgets/QWidget>\n#include "vcl/forms.h"\n',
    "platform/vcl/qt/CMakeLists.txt": 'find_package(Qt6 REQUIRED)\nadd_library(vcl_qt STATIC a.cpp)\n'
                                      'target_link_libraries(vcl_qt PRIVATE Qt6::Widgets)\n',
    "platform/vcl/include/vcl/forms.h": '#pragma once\n',
    "platform/dshow/ffmpeg/include/dshow_ffmpeg/mediafile.h": '#pragma once\n',
    "platform/dshow/ffmpeg/src/mediafile.cpp": '#include <libavformat/avformat.h>\n',
    "platform/dshow/ffmpeg/CMakeLists.txt": 'pkg_check_modules(AV REQUIRED IMPORTED_TARGET libavcodec)\n'
                                            'keldara_library(dshow_ffmpeg SHARED SOURCES a.cpp '
                                            'PRIVATE_LIBS PkgConfig::AV)\n',
    "outside/encoder/include/encoder/kvrencoder.h": '#pragma once\n',
    "outside/encoder/src/encodegraph.cpp": '#include "dshow_ffmpeg/mediafile.h"\n#include "encoder/kvrencoder.h"\n',
    "outside/encoder/CMakeLists.txt": 'keldara_library(KVRENCODER SHARED SOURCES a.cpp PRIVATE_LIBS shell)\n'
                                      'target_include_directories(KVRENCODER PRIVATE ${CMAKE_SOURCE_DIR}/shell/include)\n',
    "shell/include/shell/startup.h": '#pragma once\n#include "testkit/clips.h"\n',
    "shell/src/startup.cpp": '#include <libavcodec/avcodec.h>\n#include "vcl/forms.h"\n',
    "shell/CMakeLists.txt": 'keldara_library(shell SOURCES a.cpp PUBLIC_LIBS rtl testkit Qt6::Gui PkgConfig::AV)\n',
    "testkit/include/testkit/clips.h": '#pragma once\n',
    "tests/shell/startup_test.cpp": '#include "dshow_ffmpeg/mediafile.h"\n#include "testkit/clips.h"\n'
                                    '#include "shell/startup.h"\n',
}
SELF_TEST_EXPECTED = [
    "platform/rtl/src/sysutils.cpp:2: the platform layer includes shell/",
    "platform/rtl/CMakeLists.txt:1: the platform layer links KVRENCODER of the outside layer",
    "platform/vcl/src/forms.cpp:1: Qt is included outside",
    "outside/encoder/src/encodegraph.cpp:1: dshow_ffmpeg/ is the graph backend's own",
    "outside/encoder/CMakeLists.txt:1: the outside layer links shell of the program layer",
    "outside/encoder/CMakeLists.txt:2: the outside layer reads headers of shell/include",
    "shell/include/shell/startup.h:2: testkit/ is for the tests and benchmarks only",
    "shell/src/startup.cpp:1: FFmpeg is included outside",
    "shell/CMakeLists.txt:1: testkit is linked outside the tests",
    "shell/CMakeLists.txt:1: Qt6::Gui is linked outside",
    "shell/CMakeLists.txt:1: FFmpeg is linked outside",
]


def self_test():
    with tempfile.TemporaryDirectory() as root:
        for rel, text in SELF_TEST_TREE.items():
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        problems = check(root)
    missed = [e for e in SELF_TEST_EXPECTED if not any(p.startswith(e) for p in problems)]
    unexpected = [p for p in problems if not any(p.startswith(e) for e in SELF_TEST_EXPECTED)]
    for m in missed:
        print(f"not reported: {m}")
    for u in unexpected:
        print(f"reported wrongly: {u}")
    print(f"{len(SELF_TEST_EXPECTED) - len(missed)} passed, {len(missed) + len(unexpected)} failed")
    return 1 if missed or unexpected else 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check(argv[1])
    for p in problems:
        print(p)
    print(f"layering: {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
