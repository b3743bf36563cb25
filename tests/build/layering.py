#!/usr/bin/env python3
"""Which file of the program may include which.

Reads the source lists of the two libraries as CMake built them (one path a
line), and fails, naming the file and the line, when
  - a file of vokcore includes a header of vokui, or a header of Qt's
    widget modules (QtWidgets, QtPrintSupport, QtCharts): vokcore never sees
    widgets, and since both libraries share the include root src/, the
    compiler alone cannot refuse it;
  - a folder includes a folder below which it stands: base/ knows only itself,
    db/ knows base/, sheet/ knows base/, ui/ knows no feature, and nothing but
    app/ (and main.cpp) includes app/.
Usage: layering.py SRC_DIR CORE_LIST UI_LIST QT_INCLUDE_DIR
"""
import os
import re
import sys

ALLOWED = {
    "base": {"base"},
    "db": {"base", "db"},
    "sheet": {"base", "sheet"},
    "ui": {"base", "db", "sheet", "ui"},
}
WIDGET_MODULES = ("QtWidgets", "QtPrintSupport", "QtCharts")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_list(path):
    with open(path, encoding="utf-8") as f:
        return [line.strip() for line in f.read().replace(";", "\n").splitlines() if line.strip()]


def widget_headers(qt_dir):
    names = set()
    for module in WIDGET_MODULES:
        folder = os.path.join(qt_dir, module)
        if os.path.isdir(folder):
            names.update(os.listdir(folder))
    return names


def main():
    src, core_list, ui_list, qt_dir = sys.argv[1:5]
    src = os.path.realpath(src)
    core = [os.path.realpath(p) for p in read_list(core_list)]
    ui = [os.path.realpath(p) for p in read_list(ui_list)]
    if not core or not ui:
        print("layering: empty source list", file=sys.stderr)
        return 2
    ui_headers = {os.path.relpath(p, src) for p in ui if p.endswith(".h")}
    core_set = set(core)
    widgets = widget_headers(qt_dir)
    faults = []
    for path in sorted(set(core) | set(ui)):
        rel = os.path.relpath(path, src)
        folder = rel.split("/")[0] if "/" in rel else ""
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                quoted, name = m.group(1) == '"', m.group(2)
                where = f"src/{rel}:{number}: "
                if quoted and "/" in name:
                    target = name.split("/")[0]
                    if path in core_set and name in ui_headers:
                        faults.append(where + f"vokcore file includes the window header {name}")
                    if folder in ALLOWED and target not in ALLOWED[folder]:
                        faults.append(where + f"{folder}/ may not include {name}")
                    if target == "app" and folder != "app":
                        faults.append(where + f"only app/ includes {name}")
                elif not quoted and path in core_set:
                    module = name.split("/")[0]
                    if module in WIDGET_MODULES or name in widgets:
                        faults.append(where + f"vokcore file includes the widget header <{name}>")
    for fault in faults:
        print(fault)
    print(f"layering: {len(core)} core and {len(ui)} window files read, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
