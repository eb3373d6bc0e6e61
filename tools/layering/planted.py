#!/usr/bin/env python3
"""Plants one fault at a time into the source tree and checks that the layering check reports it.

    planted.py SOURCE_DIR

Each case adds one line to a file of the tree (or a new file) in memory; the
check must then report exactly that line, for that reason, and nothing else
that it did not already report on the tree as it stands.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layering  # noqa: E402

# (name, file, line planted at its end, what the report must say)
CASES = [
    ("png includes pipeline", "png/src/planted.cpp",
     '#include <pipeline/handlemoviethread.h>', "pipeline comes after png"),
    ("rtl includes vcl", "platform/rtl/src/planted.cpp",
     '#include "vcl/forms.h"', "platform/vcl comes after platform/rtl"),
    ("toolrun includes author", "outside/toolrun/src/planted.cpp",
     '#include "author/dvdauthorlib.h"', "outside/author comes after outside/toolrun"),
    ("an include through ../../../shell/include", "outside/encoder/src/planted.cpp",
     '#include "../../../shell/include/shell/startup.h"', "comes after outside/encoder"),
    ("a private header of a higher folder by a relative path", "png/src/planted.cpp",
     '#include "../../skin/src/planted.h"', "skin comes after png"),
    ("rtl links vcl", "platform/rtl/CMakeLists.txt",
     'target_link_libraries(rtl PUBLIC vcl)', "rtl links vcl: platform/vcl comes after platform/rtl"),
    ("an include folder reaching up", "outside/mux/CMakeLists.txt",
     'target_include_directories(Tormux PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../../pipeline/include)',
     "Tormux reads headers from ${CMAKE_CURRENT_SOURCE_DIR}/../../pipeline/include: pipeline comes after"),
    ("testkit_scsi linked into shell", "shell/CMakeLists.txt",
     'target_link_libraries(shell PRIVATE testkit_scsi)', "shell links testkit_scsi: testkit is for the tests"),
    ("the Qt backend's header in skin", "skin/src/planted.cpp",
     '#include "vcl/qtbackend.h"', "that is the platform/vcl/qt backend's own"),
    ("Qt in the framework outside its Qt backend", "platform/vcl/src/planted.cpp",
     '#include <QtWidgets/QWidget>', "Qt is included outside the framework's Qt backend"),
    ("Qt linked into skin", "skin/CMakeLists.txt",
     'target_link_libraries(skin PRIVATE Qt6::Widgets)', "skin links Qt6::Widgets outside"),
    ("FFmpeg in pipeline", "pipeline/src/planted.cpp",
     '#include "libavformat/avformat.h"', "FFmpeg is included outside"),
    ("the graph backend's header in the encoder", "outside/encoder/src/planted.cpp",
     '#include "dshow_ffmpeg/mediafile.h"', "that is the platform/dshow/ffmpeg backend's own"),
]


def plant(files, rel, line):
    """The tree with line added at the end of rel, and the number of that line."""
    planted = dict(files)
    text = planted.get(rel, "")
    if text and not text.endswith("\n"):
        text += "\n"
    planted[rel] = text + line + "\n"
    return planted, text.count("\n") + 1


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    files = layering.read_tree(argv[1])
    before = set(layering.check_files(files))
    failed = 0
    for name, rel, line, expected in CASES:
        planted, number = plant(files, rel, line)
        found = [p for p in layering.check_files(planted) if p not in before]
        wanted = f"{rel}:{number}: "
        if len(found) == 1 and found[0].startswith(wanted) and expected in found[0]:
            print(f"reported: {name}: {found[0]}")
            continue
        failed += 1
        print(f"NOT REPORTED as it should be: {name} ({wanted}... {expected})")
        for p in found:
            print(f"    the check said: {p}")
    print(f"{len(CASES) - failed} of {len(CASES)} planted faults reported")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
