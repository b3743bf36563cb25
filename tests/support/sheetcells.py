#!/usr/bin/env python3
"""Reads a spreadsheet back with nothing of the program's own code, for the
tests: prints it as JSON on stdout.

  sheetcells.py FILE.xlsx  ->  {"name": ..., "cells": [{"row", "col", "type": "n"|"s",
                                "value", "format", "bold"}], "merges": ["A1:C1"],
                                "widths": [[first, last, width]]}
  sheetcells.py FILE.csv   ->  {"rows": [[field, ...], ...]}   (strict UTF-8, RFC 4180)
"""
import csv
import io
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
      "rel": "http://schemas.openxmlformats.org/package/2006/relationships"}
BUILTIN_FORMATS = {0: "General", 1: "0", 2: "0.00", 3: "#,##0", 4: "#,##0.00", 9: "0%", 10: "0.00%",
                   11: "0.00E+00", 49: "@"}


def column_index(ref):
    letters = re.match(r"[A-Z]+", ref).group(0)
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - ord("A") + 1
    return n - 1


def text_of(node):
    return "".join(t.text or "" for t in node.iter("{%s}t" % NS["m"]))


def read_xlsx(path):
    with zipfile.ZipFile(path) as z:
        if z.testzip() is not None:
            raise SystemExit("damaged member in " + path)
        names = set(z.namelist())
        workbook = ET.fromstring(z.read("xl/workbook.xml"))
        sheet = workbook.find("m:sheets/m:sheet", NS)
        rel_id = sheet.get("{%s}id" % NS["r"])
        rels = ET.fromstring(z.read("xl/_rels/workbook.xml.rels"))
        target = next(r.get("Target") for r in rels.findall("rel:Relationship", NS) if r.get("Id") == rel_id)
        sheet_path = "xl/" + target.lstrip("/").replace("xl/", "", 1)

        shared = []
        if "xl/sharedStrings.xml" in names:
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS):
                shared.append(text_of(si))

        styles = ET.fromstring(z.read("xl/styles.xml"))
        custom = {int(f.get("numFmtId")): f.get("formatCode") for f in styles.findall("m:numFmts/m:numFmt", NS)}
        fonts = [f.find("m:b", NS) is not None for f in styles.findall("m:fonts/m:font", NS)]
        xfs = []
        for xf in styles.findall("m:cellXfs/m:xf", NS):
            fmt_id = int(xf.get("numFmtId", "0"))
            xfs.append({"format": custom.get(fmt_id, BUILTIN_FORMATS.get(fmt_id, str(fmt_id))),
                        "bold": fonts[int(xf.get("fontId", "0"))]})

        ws = ET.fromstring(z.read(sheet_path))
        cells = []
        for row in ws.findall("m:sheetData/m:row", NS):
            for c in row.findall("m:c", NS):
                ref = c.get("r")
                kind = c.get("t", "n")
                style = xfs[int(c.get("s", "0"))]
                v = c.find("m:v", NS)
                if kind == "s":
                    value = shared[int(v.text)]
                elif kind == "inlineStr":
                    value = text_of(c.find("m:is", NS))
                    kind = "s"
                elif kind == "n":
                    if v is None:
                        continue  # a blank cell that only carries a format (merged ranges)
                    value = float(v.text)
                else:
                    value = v.text if v is not None else ""
                cells.append({"row": int(re.search(r"\d+", ref).group(0)) - 1, "col": column_index(ref),
                              "type": "n" if kind == "n" else "s", "value": value,
                              "format": style["format"], "bold": style["bold"]})
        merges = [m.get("ref") for m in ws.findall("m:mergeCells/m:mergeCell", NS)]
        widths = [[int(c.get("min")) - 1, int(c.get("max")) - 1, float(c.get("width"))]
                  for c in ws.findall("m:cols/m:col", NS)]
        return {"name": sheet.get("name"), "cells": cells, "merges": merges, "widths": widths}


def read_csv(path):
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("utf-8", errors="strict")
    return {"rows": list(csv.reader(io.StringIO(text, newline=""), strict=True))}


def main():
    path = sys.argv[1]
    result = read_csv(path) if path.lower().endswith(".csv") else read_xlsx(path)
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
