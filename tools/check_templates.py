#!/usr/bin/env python3
"""Check the shipped report templates and user manuals.

A report template is read by the report generator as raw UTF-16LE code units:
every asterisk pairs with the next one, so a stray asterisk anywhere (text,
CSS, an attribute) shifts the pairing and silently eats part of the report.
This script catches that, unknown or misplaced markers, broken blocks, and
HTML whose tags do not balance or whose table rows do not line up.

Each template is checked twice as HTML: as written, and as a sample report
expanded from it (two wavelengths, three fibres, their summary and charts; two
OLT/ONT groups with their summary, and two limit sets), so the repeated
blocks are checked the way a customer sees them.

Usage:
  check_templates.py                 check data/ of this repository
  check_templates.py FILE...         check the given files (templates are
                                     recognised by their UTF-16LE byte-order mark)
  check_templates.py --sample-dir D  also write the sample reports into D
Exit status 0 when everything is fine, 1 otherwise.
"""

import html
import html.parser
import os
import re
import sys

TEMPLATE_NAMES = ["protokol_cz.htm", "protocol_en.htm", "zd615_cz.htm", "zd615_en.htm"]
MANUAL_NAMES = ["navod_cz.htm", "manual_en.htm"]

MAX_TEMPLATE_BYTES = 393216
MAX_BODY_UNITS = 2047
MAX_NAME_UNITS = 127

FIELDS = [
    "DATE", "OPERATOR", "ORGANIZATION", "TRACE", "SECTION", "ENDA", "ENDB",
    "INSTRUMENT", "THREADLEN", "WELDNUM", "WELDLIMIT", "CONNUM", "CONLIMIT",
    "DIVNUM", "DIVLIMIT",
]
# The loss-budget fields are hidden in the form for ZD615 data, so a ZD615
# report shows only the job data the operator can see and edit.
ZD615_FIELDS = ["DATE", "OPERATOR", "ORGANIZATION", "TRACE", "SECTION", "INSTRUMENT"]
# Written where they stand, like fields: the verdict summary and loss charts
# of a loss report, the group-state summary of a ZD615 report.
SUMMARIES = {"loss": ["LOSSSUMMARY", "LOSSCHART"], "zd615": ["ZDSUMMARY"]}
ALL_SUMMARIES = {name for names in SUMMARIES.values() for name in names}


class Block:
    def __init__(self, kind, begin, end, markers, fills=None, uses=()):
        self.kind = kind          # "loss" or "zd615"
        self.begin = begin
        self.end = end
        self.markers = markers    # markers its body must hold, once each
        self.fills = fills        # (slot, tag) the body is kept in, if any
        self.uses = uses          # (slot, tag) that must hold when it runs


def _zd615_table(prefix, tag, row_markers, head_markers):
    return [
        Block("zd615", prefix + "TOP_BEG", prefix + "TOP_END", head_markers, ("tableHead", tag)),
        Block("zd615", prefix + "%s_BEG" % row_markers[0], prefix + "%s_END" % row_markers[0],
              row_markers[1], ("tableRow", tag)),
        Block("zd615", prefix + "BOT_BEG", prefix + "BOT_END", [], ("tableFoot", tag),
              uses=(("tableHead", tag), ("tableRow", tag))),
    ]


THRESHOLDS = ["%s%d_VAL" % (grade, wave) for wave in (1310, 1490, 1550)
              for grade in ("PASS", "WARN", "FAIL")]

BLOCKS = [
    Block("loss", "ADDWAVEBEG1", "ADDWAVEEND1", ["TWAVELEN"]),
    Block("loss", "ADDWAVEBEG2", "ADDWAVEEND2", []),
    Block("loss", "ADDWAVEBEG3", "ADDWAVEEND3", ["VALAB", "VALBA", "VALAVE"], ("cellPattern", "values")),
    Block("loss", "VALLINEBEG", "VALLINEEND", ["THREAD", "ADDPARAM", "REMARK"],
          uses=(("cellPattern", "values"),)),
    Block("loss", "STATPARAMBEG", "STATPARAMEND", ["PARAB", "PARBA", "PARAVE"], ("cellPattern", "stats")),
    Block("loss", "STATLINEBEG1", "STATLINEEND1", ["ADDSTATPARAM1"],
          uses=(("cellPattern", "stats"), ("valueLines", "done"))),
    Block("loss", "STATLINEBEG2", "STATLINEEND2", ["ADDSTATPARAM2"],
          uses=(("cellPattern", "stats"), ("valueLines", "done"))),
    Block("loss", "STATLINEBEG3", "STATLINEEND3", ["ADDSTATPARAM3"],
          uses=(("cellPattern", "stats"), ("valueLines", "done"))),
    Block("loss", "LOSSLINEBEG", "LOSSLINEEND", ["SLWAVELEN", "LWAVELEN", "LOSS", "LOSSLIMIT"]),
] + _zd615_table("ZD615_VAL_TABLE_", "values",
                 ("LOC", ["LOC_VAL", "LIMSET_VAL", "VAL1310", "RESULT1310", "VAL1490",
                          "RESULT1490", "VAL1550", "RESULT1550"]),
                 ["OLT_VAL", "ONT_VAL", "UNITS", "RESSTATE"]) \
  + _zd615_table("ZD615_LIM_TABLE_", "limits", ("VAL", ["LIM_NUM"] + THRESHOLDS), [])

BY_BEGIN = {b.begin: b for b in BLOCKS}
BY_END = {b.end: b for b in BLOCKS}
CONTENT_MARKERS = {m: b for b in BLOCKS for m in b.markers}
# The limit table reads the used-set marks that the value tables leave.
BY_END["ZD615_LIM_TABLE_BOT_END"].uses += (("valueTables", "done"),)

MARKER = re.compile(r"\*\*([^*]+)\*\*")


class Problems:
    def __init__(self, path):
        self.path = path
        self.items = []

    def add(self, text):
        self.items.append("%s: %s" % (self.path, text))


# ---------------------------------------------------------------- templates

def read_template_text(path, data, problems):
    if not data.startswith(b"\xff\xfe"):
        problems.add("does not start with the UTF-16LE byte-order mark FF FE")
        return None
    if len(data) % 2:
        problems.add("odd number of bytes; not UTF-16")
        return None
    if len(data) > MAX_TEMPLATE_BYTES:
        problems.add("%d bytes; the generator reads only the first %d" % (len(data), MAX_TEMPLATE_BYTES))
    try:
        return data[2:].decode("utf-16-le", errors="strict")
    except UnicodeDecodeError as error:
        problems.add("not valid UTF-16LE: %s" % error)
        return None


def tokenize(text, problems):
    """Split into ("text", s) and ("marker", name, start, end) as the scanner pairs them."""
    tokens = []
    position = 0
    for match in MARKER.finditer(text):
        tokens.append(("text", text[position:match.start()], position))
        tokens.append(("marker", match.group(1), match.start(), match.end()))
        position = match.end()
    tokens.append(("text", text[position:], position))
    for token in tokens:
        if token[0] == "text" and "*" in token[1]:
            line = text.count("\n", 0, token[2] + token[1].index("*")) + 1
            problems.add("line %d: asterisk outside a marker shifts the marker pairing" % line)
    if text.count("*") % 2:
        problems.add("odd number of asterisks (%d)" % text.count("*"))
    return tokens


def check_structure(text, tokens, kind, problems):
    """Marker names, block nesting, body contents and the order of slots."""
    slots = {}
    seen = set()
    open_block = None
    body_start = 0
    for token in tokens:
        if token[0] != "marker":
            continue
        name, start, end = token[1], token[2], token[3]
        line = text.count("\n", 0, start) + 1
        seen.add(name)
        if len(name) > MAX_NAME_UNITS:
            problems.add("line %d: marker name longer than %d characters" % (line, MAX_NAME_UNITS))
        if name in BY_BEGIN:
            if open_block:
                problems.add("line %d: %s inside the open block %s" % (line, name, open_block.begin))
            open_block, body_start = BY_BEGIN[name], end
        elif name in BY_END:
            block = BY_END[name]
            if open_block is not block:
                problems.add("line %d: %s without its %s" % (line, name, block.begin))
                open_block = None
                continue
            check_body(text[body_start:start], block, line, problems)
            for slot, tag in block.uses:
                if slots.get(slot) != tag:
                    problems.add("line %d: %s needs %s before it" % (line, name, provider(slot, tag)))
            if block.fills:
                slots[block.fills[0]] = block.fills[1]
            if block.end == "VALLINEEND":
                slots["valueLines"] = "done"
            if block.end == "ZD615_VAL_TABLE_BOT_END":
                slots["valueTables"] = "done"
            open_block = None
        elif name in FIELDS or name in ALL_SUMMARIES:
            if open_block:
                problems.add("line %d: field %s inside block %s is written at once and left literal in the body"
                             % (line, name, open_block.begin))
            if name in ALL_SUMMARIES and name not in SUMMARIES[kind]:
                problems.add("line %d: %s does not belong in a %s template" % (line, name, kind))
        elif name in CONTENT_MARKERS:
            if not open_block:
                problems.add("line %d: %s outside any block disappears from the report" % (line, name))
        else:
            problems.add("line %d: unknown marker %s" % (line, name))
    if open_block:
        problems.add("block %s is never closed; the rest of the template would be lost" % open_block.begin)
    required_fields = FIELDS if kind == "loss" else ZD615_FIELDS
    for name in required_fields + SUMMARIES[kind]:
        if name not in seen:
            problems.add("field marker %s missing" % name)
    for block in BLOCKS:
        if block.kind == kind and block.begin not in seen:
            problems.add("block %s missing" % block.begin)
        if block.kind != kind and (block.begin in seen or block.end in seen):
            problems.add("block %s does not belong in a %s template" % (block.begin, kind))


def provider(slot, tag):
    """The block whose END must come first for (slot, tag) to hold."""
    if slot == "valueLines":
        return "VALLINEEND"
    if slot == "valueTables":
        return "ZD615_VAL_TABLE_BOT_END"
    return next(b.end for b in BLOCKS if b.fills == (slot, tag))


def check_body(body, block, line, problems):
    if len(body) > MAX_BODY_UNITS:
        problems.add("line %d: body of %s has %d characters, more than %d"
                     % (line, block.begin, len(body), MAX_BODY_UNITS))
    names = MARKER.findall(body)
    for name in names:
        if name in CONTENT_MARKERS and CONTENT_MARKERS[name] is not block:
            problems.add("line %d: %s does not belong in block %s" % (line, name, block.begin))
    for name in block.markers:
        count = names.count(name)
        if count == 0:
            problems.add("line %d: block %s lacks %s" % (line, block.begin, name))
        elif count > 1:
            problems.add("line %d: %s stands %d times in block %s; only the first is filled"
                         % (line, name, count, block.begin))


def template_kind(tokens):
    names = {t[1] for t in tokens if t[0] == "marker"}
    return "zd615" if any(n.startswith("ZD615_") for n in names) else "loss"


# ------------------------------------------------------- sample expansion

SAMPLE_FIELDS = {
    "DATE": "5.3.2012", "OPERATOR": "J. Novák", "ORGANIZATION": "Optika & spol. <s.r.o.>",
    "TRACE": "Praha – Brno", "SECTION": "km 12–18", "ENDA": "RACK A1", "ENDB": "RACK B7",
    "INSTRUMENT": "LM42 0042", "THREADLEN": "2500", "WELDNUM": "2", "WELDLIMIT": "0.1",
    "CONNUM": "4", "CONLIMIT": "0.5", "DIVNUM": "0", "DIVLIMIT": "0",
}


SAMPLE_WAVES = (1310, 1550)


def sample_summary_table(heads, rows):
    """A summary table shaped as the report generator writes it."""
    head = "".join("<th>%s</th>" % h for h in heads)
    body = "".join("<tr>%s</tr>" % "".join(cells) for cells in rows)
    return '<table class="data summary"><thead><tr>%s</tr></thead><tbody>%s</tbody></table>' % (head, body)


def sample_chart(wave):
    """A loss chart with the kinds of element the report generator draws."""
    return ('<svg xmlns="http://www.w3.org/2000/svg" class="losschart" width="660.0" height="240.0" '
            'viewBox="0 0 660.0 240.0"><text x="328.0" y="14.0" text-anchor="middle">%d nm</text>'
            '<line x1="56.0" y1="210.0" x2="600.0" y2="210.0" stroke="#d5dde6" class="grid"/>'
            '<text x="50.0" y="214.0" text-anchor="end" class="value">0.00</text>'
            '<rect class="bar over" x="60.0" y="26.0" width="20.0" height="184.0" fill="#b00020"/>'
            '<line x1="56.0" y1="40.0" x2="600.0" y2="40.0" stroke="#b00020" class="limit"/>'
            '</svg>' % wave)


def sample_summary(name):
    if name == "LOSSSUMMARY":
        return sample_summary_table(["", "Vyhovuje", "Nevyhovuje", "Nevyhodnoceno"], [
            ["<th>%d nm</th>" % w, '<td class="num">2</td>', '<td class="num"><b>1</b></td>',
             '<td class="num">0</td>'] for w in SAMPLE_WAVES])
    if name == "LOSSCHART":
        return "".join(sample_chart(w) for w in SAMPLE_WAVES)
    return sample_summary_table(["PASS", "WARNING", "FAIL"], [
        ['<td class="num">1</td>', '<td class="num">0</td>', '<td class="num"><b>1</b></td>']])


def fill(body, pairs):
    for name, value in pairs:
        body = body.replace("**%s**" % name, value, 1)
    return body


def expand_block(block, body, slots):
    """Sample output of one block, shaped as the report generator writes it."""
    end = block.end
    if block.fills and end not in ("ZD615_VAL_TABLE_BOT_END", "ZD615_LIM_TABLE_BOT_END"):
        slots[block.fills[0]] = body
        return ""
    waves = SAMPLE_WAVES
    if end == "ADDWAVEEND1":
        return "".join(fill(body, [("TWAVELEN", str(w))]) for w in waves)
    if end == "ADDWAVEEND2":
        return body * len(waves)
    if end == "VALLINEEND":
        cell = slots.get("cellPattern", "")
        lines = []
        for fibre in (1, 2, 3):
            cells = fill(cell, [("VALAB", "2.90"), ("VALBA", "---"), ("VALAVE", "<B>2.90</B>")])
            cells += fill(cell, [("VALAB", "2.80"), ("VALBA", "3.00"), ("VALAVE", "2.90")])
            lines.append(fill(body, [("THREAD", str(fibre)), ("REMARK", "Nevyhovuje"), ("ADDPARAM", cells)]))
        return "".join(lines)
    if end.startswith("STATLINEEND"):
        cell = fill(slots.get("cellPattern", ""), [("PARAB", "2.85"), ("PARBA", "---"), ("PARAVE", "2.90")])
        return fill(body, [("ADDSTATPARAM" + end[-1], cell * len(waves))])
    if end == "LOSSLINEEND":
        return "".join(fill(body, [("SLWAVELEN", str(w)), ("LWAVELEN", str(w)), ("LOSS", "0.36"),
                                   ("LOSSLIMIT", "3.10")]) for w in waves)
    if end == "ZD615_VAL_TABLE_BOT_END":
        out = []
        for olt, ont in ((1, 3), (2, 1)):
            group = fill(slots.get("tableHead", ""), [("OLT_VAL", str(olt)), ("ONT_VAL", str(ont)),
                                                       ("UNITS", "dBm")])
            for location in ("Rozvaděč 2", "5"):
                group += fill(slots.get("tableRow", ""), [
                    ("LOC_VAL", location), ("LIMSET_VAL", "GPON(4)"),
                    ("RESULT1310", "PASS"), ("RESULT1490", "WARNING"), ("RESULT1550", "PASS"),
                    ("VAL1310", "-18.20"), ("VAL1490", "----"), ("VAL1550", "-17.05")])
            out.append(fill(group, [("RESSTATE", "WARNING")]) + body)
        return "".join(out)
    if end == "ZD615_LIM_TABLE_BOT_END":
        rows = "".join(fill(slots.get("tableRow", ""), [("LIM_NUM", label)] +
                            [(t, "-%d.0" % (20 + i)) for i, t in enumerate(THRESHOLDS)])
                       for label in ("GPON(4)", "7"))
        return slots.get("tableHead", "") + rows + body
    return ""


def expand_sample(tokens):
    out = []
    slots = {}
    open_block = None
    body = []
    for token in tokens:
        if token[0] == "text":
            (body if open_block else out).append(token[1])
            continue
        name = token[1]
        if name in BY_BEGIN:
            open_block, body = BY_BEGIN[name], []
        elif name in BY_END and open_block is BY_END[name]:
            out.append(expand_block(open_block, "".join(body), slots))
            open_block = None
        elif name in FIELDS:
            out.append(html.escape(SAMPLE_FIELDS[name], quote=True))
        elif name in ALL_SUMMARIES:
            out.append(sample_summary(name))
        elif open_block:
            body.append("**%s**" % name)
    return "".join(out)


# ------------------------------------------------------------------ HTML

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}
ROW_GROUPS = {"thead", "tbody", "tfoot"}


class HtmlChecker(html.parser.HTMLParser):
    """Balanced tags, table cells in rows, rows in row groups, equal row widths."""

    def __init__(self, problems, label, tables):
        super().__init__(convert_charrefs=True)
        self.problems = problems
        self.label = label
        self.check_tables = tables
        self.stack = []
        self.tables = []
        self.ids = set()
        self.links = []
        self.external = []

    def report(self, text):
        self.problems.add("%s, line %d: %s" % (self.label, self.getpos()[0], text))

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if "id" in attributes:
            if attributes["id"] in self.ids:
                self.report("duplicate id %s" % attributes["id"])
            self.ids.add(attributes["id"])
        for key in ("href", "src"):
            value = attributes.get(key)
            if value is None:
                continue
            if value.startswith("#"):
                self.links.append((value[1:], self.getpos()[0]))
            elif tag != "a" or key == "src":
                self.external.append((value, self.getpos()[0]))
        parent = self.stack[-1] if self.stack else None
        if self.check_tables:
            self.check_table_tag(tag, parent, attributes)
        if tag not in VOID:
            self.stack.append(tag)

    def check_table_tag(self, tag, parent, attributes):
        if tag in ("td", "th") and parent != "tr":
            self.report("<%s> outside a table row" % tag)
        if tag == "tr" and parent not in ROW_GROUPS and parent != "table":
            self.report("<tr> outside a table")
        if tag in ROW_GROUPS | {"caption"} and parent != "table":
            self.report("<%s> outside a table" % tag)
        if tag == "table":
            self.tables.append({"pending": [], "width": None})
        if tag == "tr" and self.tables:
            table = self.tables[-1]
            table["row"] = 0
            covered = [c for c, n in enumerate(table["pending"]) if n > 0]
            table["covered"] = covered[-1] + 1 if covered else 0
        if tag in ("td", "th") and self.tables:
            self.add_cell(self.tables[-1], attributes)
        if tag in ROW_GROUPS and self.tables:
            self.tables[-1]["pending"] = []

    def handle_startendtag(self, tag, attrs):
        # Inside SVG, as in XML, any element may close itself.
        if tag not in VOID and "svg" not in self.stack:
            self.report("<%s/> is not a void element" % tag)
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def add_cell(self, table, attributes):
        # Skip columns still covered by a rowspan from a row above.
        column = table["row"]
        pending = table["pending"]
        while column < len(pending) and pending[column] > 0:
            column += 1
        span = int(attributes.get("colspan") or 1)
        rows = int(attributes.get("rowspan") or 1)
        while len(pending) < column + span:
            pending.append(0)
        for c in range(column, column + span):
            pending[c] = rows
        table["row"] = column + span

    def end_row(self, table):
        pending = table["pending"]
        width = max(table["row"], table["covered"])
        if table["width"] is None:
            table["width"] = width
        elif width != table["width"]:
            self.report("table row spans %d columns, the table started with %d" % (width, table["width"]))
        table["pending"] = [max(0, n - 1) for n in pending]

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1] != tag:
            self.report("</%s> does not close the open <%s>" % (tag, self.stack[-1] if self.stack else "nothing"))
            if tag in self.stack:
                while self.stack.pop() != tag:
                    pass
            return
        self.stack.pop()
        if not self.check_tables:
            return
        if tag == "tr" and self.tables:
            self.end_row(self.tables[-1])
        if tag == "table" and self.tables:
            self.tables.pop()

    def finish(self):
        self.close()
        if self.stack:
            self.report("unclosed elements at the end: %s" % " ".join(self.stack))
        for target, line in self.links:
            if target not in self.ids:
                self.problems.add("%s, line %d: link to missing #%s" % (self.label, line, target))


def check_html(text, problems, label, tables=True):
    """Tags must balance; with tables, cells and rows must also line up."""
    if not text.startswith("<!DOCTYPE html>"):
        problems.add("%s: does not start with <!DOCTYPE html>" % label)
    checker = HtmlChecker(problems, label, tables)
    checker.feed(text)
    checker.finish()
    return checker


def check_template(path, sample_dir=None):
    problems = Problems(path)
    with open(path, "rb") as handle:
        data = handle.read()
    text = read_template_text(path, data, problems)
    if text is None:
        return problems.items
    tokens = tokenize(text, problems)
    kind = template_kind(tokens)
    check_structure(text, tokens, kind, problems)
    if '<meta charset="utf-16">' not in text:
        problems.add('lacks <meta charset="utf-16">')
    if "@page" not in text or "A4" not in text:
        problems.add("lacks the A4 @page rule")
    raw = "".join(t[1] for t in tokens if t[0] == "text")
    # Blocks stand once and outside their rows as written, so only the
    # sample report is held to whole table rows.
    check_html(raw, problems, "as written", tables=False)
    sample = expand_sample(tokens)
    check_html(sample, problems, "sample report")
    if sample_dir:
        os.makedirs(sample_dir, exist_ok=True)
        target = os.path.join(sample_dir, os.path.basename(path) + ".sample.html")
        with open(target, "wb") as handle:
            handle.write(b"\xff\xfe" + sample.encode("utf-16-le"))
    return problems.items


def check_manual(path):
    problems = Problems(path)
    with open(path, "rb") as handle:
        data = handle.read()
    try:
        text = data.decode("utf-8", errors="strict")
    except UnicodeDecodeError as error:
        problems.add("not valid UTF-8: %s" % error)
        return problems.items
    if '<meta charset="utf-8">' not in text:
        problems.add('lacks <meta charset="utf-8">')
    checker = check_html(text, problems, "manual")
    for value, line in checker.external:
        problems.add("line %d: refers to %s; the manual must be self-contained" % (line, value))
    return problems.items


def is_template(path):
    with open(path, "rb") as handle:
        return handle.read(2) == b"\xff\xfe"


def main(argv):
    sample_dir = None
    if "--sample-dir" in argv:
        index = argv.index("--sample-dir")
        if index + 1 >= len(argv):
            print("usage: check_templates.py [--sample-dir DIR] [FILE...]", file=sys.stderr)
            return 1
        sample_dir = argv[index + 1]
        argv = argv[:index] + argv[index + 2:]
    paths = argv
    if not paths:
        data = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data")
        paths = [os.path.normpath(os.path.join(data, n)) for n in TEMPLATE_NAMES + MANUAL_NAMES]
    failed = 0
    for path in paths:
        if not os.path.isfile(path):
            items = ["%s: missing" % path]
        elif is_template(path):
            items = check_template(path, sample_dir)
        else:
            items = check_manual(path)
        for item in items:
            print(item)
        print("%s %s" % ("FAIL" if items else "ok  ", path))
        failed += bool(items)
    print("%d passed, %d failed" % (len(paths) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
