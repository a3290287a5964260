#!/usr/bin/env python3
"""Build the shipped report templates and user manuals in data/.

Sources live in templates/ as UTF-8 with LF line ends; a line
"{{include NAME}}" is replaced by the file NAME from the same folder (the
shared style sheets). Report templates are written as UTF-16LE with a
byte-order mark, the way the report generator reads them; the manuals as
UTF-8, the way the browser shows them. Both get CR LF line ends.

Usage:
  build_templates.py          write the files in data/
  build_templates.py --check  only report files in data/ that differ from
                              their sources (exit status 1 if any)
"""

import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
SOURCES = os.path.join(ROOT, "templates")
TARGETS = os.path.join(ROOT, "data")

OUTPUTS = [
    ("protokol_cz.htm", "utf-16"),
    ("protocol_en.htm", "utf-16"),
    ("zd615_cz.htm", "utf-16"),
    ("zd615_en.htm", "utf-16"),
    ("navod_cz.htm", "utf-8"),
    ("manual_en.htm", "utf-8"),
]

INCLUDE = re.compile(r"^\{\{include ([\w.-]+)\}\}\n", re.MULTILINE)


def read_source(name):
    with open(os.path.join(SOURCES, name), encoding="utf-8") as handle:
        return handle.read()


def expand(name):
    return INCLUDE.sub(lambda match: read_source(match.group(1)), read_source(name))


def encode(text, encoding):
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    if encoding == "utf-16":
        return b"\xff\xfe" + text.encode("utf-16-le")
    return text.encode("utf-8")


def main(argv):
    check_only = argv == ["--check"]
    if argv and not check_only:
        print(__doc__.strip(), file=sys.stderr)
        return 1
    stale = 0
    for name, encoding in OUTPUTS:
        data = encode(expand(name), encoding)
        target = os.path.join(TARGETS, name)
        if check_only:
            current = open(target, "rb").read() if os.path.exists(target) else None
            if current != data:
                print("out of date: data/%s" % name)
                stale += 1
            continue
        with open(target, "wb") as handle:
            handle.write(data)
        print("wrote data/%s (%d bytes)" % (name, len(data)))
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
