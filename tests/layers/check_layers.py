#!/usr/bin/env python3
"""Fails when a source file under src/ includes from a layer above its own.

Layers, lowest first: dbase (engine), base, catalogue, the subsystem cores, widgets, the subsystem
windows (<subsystem>/ui), shell. The engine includes only the standard library and itself; the
layers up to the cores (and the batch tool) never include Qt Widgets; nothing includes the shell.
Usage: check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

CORES = {"editor", "find", "transfer", "reports", "backup", "config"}
# The page engine sits below the subsystem cores: reports, labels and the record print draw with it.
RANK = {"dbase": 0, "base": 1, "catalogue": 2, "render": 2.5, "core": 3, "widgets": 4, "ui": 5, "shell": 6}
# The batch tool sits beside the windows but may only use what the cores may.
CLI_RANK = RANK["core"]
WIDGET_MODULES = ("QtWidgets", "QtPrintSupport")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(parts):
    """The layer of a path relative to src/ (given as its parts), or None for an unknown folder."""
    top = parts[0]
    if len(parts) > 2 and parts[1] == "ui":
        return "ui"
    if top in ("dbase", "base", "catalogue", "render", "widgets", "shell"):
        return top
    if top in CORES:
        return "core"
    if top == "cli":
        return "cli"
    return None


def rank(layer):
    return CLI_RANK if layer == "cli" else RANK[layer]


def is_widgets_header(name):
    first = name.split("/")[0]
    if first in WIDGET_MODULES:
        return True
    # Class headers of Qt Widgets included without their module folder.
    return first in {"QApplication", "QWidget", "QDialog", "QMainWindow", "QMessageBox", "QPushButton",
                     "QLabel", "QLineEdit", "QComboBox", "QTableView", "QPrinter", "QPrintDialog",
                     "QFileDialog", "QFontDialog", "QColorDialog", "QLayout", "QBoxLayout",
                     "QVBoxLayout", "QHBoxLayout", "QGridLayout", "QTextBrowser", "QCheckBox",
                     "QRadioButton", "QGroupBox", "QTabWidget", "QListWidget", "QMenu", "QMenuBar",
                     "QToolBar", "QStatusBar", "QSpinBox", "QAbstractButton", "QStyledItemDelegate",
                     "QHeaderView", "QScrollArea", "QFrame", "QSplashScreen", "QToolButton"}


def check(src):
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        rel = path.relative_to(src)
        own = layer_of(rel.parts)
        if own is None:
            faults.append(f"{rel}: in no known layer folder")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            quote, name = m.groups()
            where = f"{rel}:{number}: {own} includes {name}"
            if quote == "<":
                if own == "dbase" and (name.startswith("Q") or name.startswith("qt")):
                    faults.append(f"{where} (the engine uses no Qt)")
                elif rank(own) <= RANK["core"] and is_widgets_header(name):
                    faults.append(f"{where} (no widgets below the widgets layer)")
                continue
            target_parts = pathlib.PurePosixPath(name).parts
            if len(target_parts) < 2:
                continue  # a file beside the includer, same layer
            target = layer_of(target_parts)
            if target is None:
                faults.append(f"{where} (unknown folder)")
                continue
            if own == "dbase" and target != "dbase":
                faults.append(f"{where} (the engine includes only itself)")
            elif target == "shell" and own != "shell":
                faults.append(f"{where} (nothing includes the shell)")
            elif target == "cli" and own != "cli":
                faults.append(f"{where} (nothing includes the batch tool)")
            elif rank(target) > rank(own):
                faults.append(f"{where} (from a higher layer)")
            elif target == "core" and own == "core" and target_parts[0] != rel.parts[0]:
                faults.append(f"{where} (one subsystem core includes another)")
            elif target == "ui" and own == "ui" and target_parts[0] != rel.parts[0]:
                faults.append(f"{where} (one subsystem's windows include another's)")
    return faults


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    faults = check(pathlib.Path(sys.argv[1]))
    for f in faults:
        print(f)
    if faults:
        print(f"{len(faults)} include(s) against the layers")
        return 1
    print("every include goes downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
