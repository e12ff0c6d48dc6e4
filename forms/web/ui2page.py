#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds a form's page from its Designer layout, as the forms runtime builds a window from its
description: the controls as the page's own elements, in an HTML fragment, and their look in a
style sheet.

At the form's width or wider the page shows the layout 1:1 in CSS pixels. On narrower screens
the controls flow in the layout's reading order, row by row from the top and from the left in
each row: a row that runs edge to edge keeps its controls at its ends, any other row stays
together around its middle, and controls shrink before anything scrolls sideways.

The page may be made showing the window as the form's activation leaves it (--state, the stores
and prints that prerender.cpp lists), so that its first frame needs no script; each control that
this changes keeps its caption as the layout has it in data-design, for the runtime to put back
before it activates the window in the browser.

The layout's face is the one that the controls' boxes were drawn for; every other face that a
device has takes its place within the same boxes (see ASCENT and SCALED below). The signs that
Latin faces lack (full-width brackets and commas, the ideographic space) come last from a small
face of the page's own (--signs: its file, and the file to list the signs in, for the build to
make it).

The runtime's first lines (RUNTIME.js) come inline in the page's head (OUT.head), so that they
run before the page's first frame, and start the program's script after it; OUT.csp gets their
hash, for the page's Content-Security-Policy.

Usage: ui2page.py FORM.ui RUNTIME.html RUNTIME.css RUNTIME.js OUT.html OUT.css
                  [--state STATE.tsv] [--signs FONT.woff2 SIGNS.txt] [CONTROL:ATTRIBUTE=VALUE...]
"""
import base64
import hashlib
import html
import re
import sys
import xml.etree.ElementTree as ET

POINT = 4 / 3  # CSS pixels to the point
DEFAULT_FONT = 9  # points: the face of controls that have none of their own, as on the desktop

# The layout's face (MS PGothic, and IPAPGothic, its metric twin) sets its baseline 0.88 em below
# the top of a line 1 em high. Other Japanese Gothic faces take more room above and below, and
# their letters reach down to 0.25 em (Noto Sans CJK's "g", "p" and "y"): a label's line is
# centred as the layout's face centres it, but never so low that such a descender leaves the box.
ASCENT, DESCENT, DEEPEST_DESCENDER = 0.88, 0.12, 0.25
# Faces whose Latin letters run wider than the layout's face, scaled so that the panel's longest
# line still fits its box: an @font-face over the installed face (local()), by its full and
# PostScript names, with size-adjust, named before the face itself, which serves unscaled where
# a browser cannot reach a face by local(). DejaVu Sans, the sans serif of Linux systems without
# a Japanese face, is measured: its lines run 9 % wider. Meiryo's and Hiragino Sans's Latin
# letters are as wide (none can be measured here) and take the same scale; so does Yu Gothic UI,
# to be safe. Noto Sans CJK JP and Roboto fit as they are.
SCALE = 0.9
SCALED = {  # the faces' full and PostScript names, regular and bold
    "Yu Gothic UI": (["Yu Gothic UI", "YuGothicUI-Regular"],
                     ["Yu Gothic UI Bold", "YuGothicUI-Bold"]),
    "Meiryo": (["Meiryo"], ["Meiryo Bold", "Meiryo-Bold"]),
    "Hiragino Sans": (["Hiragino Sans W3", "HiraginoSans-W3"],
                      ["Hiragino Sans W6", "HiraginoSans-W6"]),
    "DejaVu Sans": (["DejaVu Sans", "DejaVuSans"], ["DejaVu Sans Bold", "DejaVuSans-Bold"]),
}
LATIN = ["DejaVu Sans"]  # after the layout's Japanese faces, before the page's signs
SIGNS = "Form signs"  # the page's face of the signs that Latin faces lack


class Control:
    def __init__(self, widget):
        self.name, self.kind = widget.get("name"), widget.get("class")
        self.props = {p.get("name"): p for p in widget.findall("property")}
        rect = self.props["geometry"].find("rect")
        self.x, self.y, self.width, self.height = (int(rect.find(k).text) for k in
                                                   ("x", "y", "width", "height"))

    def text(self, name):
        found = self.props.get(name)
        return None if found is None else found.findtext("*", "")

    def font_size(self):
        """The size of the control's own font in CSS pixels, or None where it has none."""
        font = self.props.get("font")
        if font is None:
            return None
        points = self.text("pointSizeF") or font.findtext("font/pointsize") or DEFAULT_FONT
        return float(points) * POINT

    def is_line(self):
        return self.text("frameShape") == "QFrame::HLine"

    def colours(self):
        roles = self.props.get("palette")
        roles = [] if roles is None else roles.findall("palette/active/colorrole")
        return {role.get("role"): "rgb({} {} {})".format(
            *(role.findtext(f"brush/color/{c}") for c in ("red", "green", "blue")))
            for role in roles}


def element(control, focusable, first, state, extra):
    """The page's element for a control, its text and what screen readers know it by."""
    attributes = [f'id="{control.name}"']
    design = html.escape(control.text("text") or "")
    shown = html.escape(state.get((control.name, "Caption"), control.text("text") or ""))
    if shown != design:
        attributes.append(f'data-design="{design}"')
    name = control.text("accessibleName")
    if name:
        attributes.append(f'aria-label="{html.escape(name)}"')
    if control.name in focusable and control.kind not in ("QPushButton", "CommandButton"):
        attributes.append('tabindex="0"')
    if control.text("visible") == "false":
        attributes.append("hidden")
    attributes += extra.get(control.name, [])
    text = shown
    if control.kind in ("QPushButton", "CommandButton"):
        autofocus = " autofocus" if control.name == first else ""
        return f'<button type="button" {" ".join(attributes)}{autofocus}>{text}</button>'
    if control.kind == "QLabel":
        # A value that screen readers know by a name of its own; what an event stores in it is
        # said with the rest that the event stores (runtime.js), not on its own.
        if name:
            return f'<output {" ".join(attributes)} aria-live="off">{text}</output>'
        return f'<div {" ".join(attributes)}>{text}</div>'
    if control.kind == "PictureBox":
        # What is printed is printed into the inner block, which may be condensed.
        printed = "".join(html.escape(line) + "\n" for line in state.get((control.name, "Print"), []))
        design = ' data-design=""' if printed else ""
        return (f'<section {" ".join(attributes)}><div class="print"{design}>{printed}</div>'
                f'</section>')
    if control.is_line():
        return f'<div class="line" {" ".join(attributes)}></div>'
    # Any other control is an element of its own kind, made by the page: MediaControl is
    # <media-control>.
    tag = re.sub(r"(?<!^)(?=[A-Z])", "-", control.kind).lower()
    return f'<{tag} {" ".join(attributes)}></{tag}>'


def look(control):
    """The control's font, colours, frame and alignment, on any screen."""
    if control.is_line():
        return ["border-top: 1px solid"]
    style = []
    font = control.props.get("font")
    if font is not None:
        style += [f"font-size: {control.font_size():g}px",
                  f"font-weight: {700 if font.findtext('font/bold') == 'true' else 400}"]
        if control.kind == "PictureBox":
            style.append(f"line-height: {ASCENT + DESCENT:g}")
        elif baseline(control):
            # The line's own height leaves the baseline where its strut puts it (below).
            style += ["align-items: baseline", "line-height: 0"]
    colours = control.colours()
    if "Window" in colours and control.text("autoFillBackground") == "true":
        style.append(f"background-color: {colours['Window']}")
    if "WindowText" in colours:
        style.append(f"color: {colours['WindowText']}")
    if control.text("frameShape") == "QFrame::Box":
        style.append("border: 1px solid")
    if "AlignCenter" in (control.text("alignment") or ""):
        style += ["text-align: center", "justify-content: center"]
    stretch = control.text("fontStretch")
    if stretch:
        style.append(f"--stretch: {int(stretch) / 100:g}")
    return style


def baseline(control):
    """Where a label's line sits, from the top of its box: the foot of a strut that the line is
    aligned with, whatever the face's own ascent and descent."""
    size = control.font_size()
    if control.kind != "QLabel" or size is None:
        return None
    inner = control.height - (2 if control.text("frameShape") == "QFrame::Box" else 0)
    return min(inner / 2 + (ASCENT - DESCENT) / 2 * size, inner - DEEPEST_DESCENDER * size)


def place(control):
    """The control's place at the layout's own size."""
    return [f"left: {control.x}px", f"top: {control.y}px", f"width: {control.width}px"] + (
        [] if control.is_line() else [f"height: {control.height}px"])


def faces(layout_faces, signs):
    """The font-family list of the layout's face and the @font-face rules that it names."""
    families, rules = [], []
    for face in [*layout_faces, *LATIN]:
        if face in SCALED:
            for weight, names in zip((400, 700), SCALED[face]):
                rules.append(block("@font-face", [
                    f'font-family: "{face} scaled"',
                    "src: " + ", ".join(f'local("{name}")' for name in names),
                    f"font-weight: {weight}", f"size-adjust: {SCALE * 100:g}%"]))
            families.append(f"{face} scaled")
        families.append(face)
    if signs:
        font, chars = signs
        ranges = ", ".join(f"U+{ord(c):04X}" for c in sorted(chars))
        rules.append(block("@font-face", [f'font-family: "{SIGNS}"', f'src: url("{font}") format("woff2")',
                                          f"unicode-range: {ranges}", "font-display: block"]))
        families.append(SIGNS)
    return ", ".join(f'"{f}"' for f in families) + ", sans-serif", "".join(rules)


def reading_order(controls, form_width):
    """The narrow screen's flow: rows of controls from the top, each from the left. Returns each
    control's place in it, its rules there, and the number of rows."""
    placed = [c for c in controls if not c.is_line() and c.text("visible") != "false"]
    rows = []
    for control in sorted(placed, key=lambda c: (c.y, c.x)):
        row = next((r for r in rows if control.y < max(c.y + c.height for c in r) and
                    control.y + control.height > min(c.y for c in r)), None)
        row.append(control) if row else rows.append([control])
    places, flow, bottom = {}, {}, 0
    for index, row in enumerate(rows):
        row.sort(key=lambda c: c.x)
        top = min(c.y for c in row)
        edge_to_edge = row[0].x == 0 and row[-1].x + row[-1].width == form_width
        for position, control in enumerate(row):
            places[control.name] = len(places) + 1
            # Every control of a row fits on one line: it grows from a hair (never from nothing,
            # which would fit beside the break before it) as far as its own width, in step with
            # the others.
            style = [f"order: {places[control.name]}", f"margin-top: {top - bottom}px",
                     f"flex: {control.width} 1 1px", f"max-width: {control.width}px"]
            if control.kind == "PictureBox":
                style += ["height: auto", f"min-height: {control.height}px"]
            else:
                style.append(f"height: {control.height}px")
            if position:
                previous = row[position - 1]
                gap = control.x - previous.x - previous.width
                style.append("margin-left: auto" if edge_to_edge else f"margin-left: {gap}px")
            elif not edge_to_edge:
                style.append("margin-left: auto")
            if position == len(row) - 1 and not edge_to_edge:
                style.append("margin-right: auto")
            flow[control.name] = style
        # A line under the row is a rule across the screen; one that another covers is left out.
        below = rows[index + 1][0].y if index + 1 < len(rows) else float("inf")
        for line in (c for c in controls if c.is_line() and top <= c.y < below):
            covered = any(other is not line and other.is_line() and other.y == line.y and
                          other.x <= line.x and other.x + other.width >= line.x + line.width
                          for other in controls)
            places[line.name] = len(places) + 1
            flow[line.name] = ["display: none"] if covered else [
                f"order: {places[line.name]}", "flex: 1 1 100%", "margin-top: 0", "height: 0"]
        bottom = max(c.y + c.height for c in row)
        places[f"break{index}"] = len(places) + 1
        flow[f"break{index}"] = [f"order: {places[f'break{index}']}"]
    return places, flow, len(rows)


def block(selector, declarations, indent=""):
    body = "".join(f"{indent}    {d};\n" for d in declarations)
    return f"{indent}{selector} {{\n{body}{indent}}}\n"


def read_state(path):
    """The captions and the printed lines of the window as activated."""
    state = {}
    for line in open(path, encoding="utf-8").read().splitlines():
        control, prop, value = line.split("\t")
        if prop == "Print":
            state.setdefault((control, prop), []).append(value)
        elif prop == "Caption":
            state[(control, prop)] = value
        else:
            sys.exit(f"ui2page.py: cannot show {control}.{prop} in the page as first made")
    return state


def main():
    ui, runtime_html, runtime_css, runtime_js, out_html, out_css, *extra = sys.argv[1:]
    state = {}
    if extra[:1] == ["--state"]:
        state, extra = read_state(extra[1]), extra[2:]
    signs_file = None
    if extra[:1] == ["--signs"]:
        signs_file, extra = extra[1:3], extra[3:]
    attributes = {}
    for item in extra:
        control, attribute = item.split(":", 1)
        name, value = attribute.split("=", 1)
        attributes.setdefault(control, []).append(f'{name}="{html.escape(value)}"')
    root = ET.parse(ui).getroot()
    form = root.find("widget")
    form_control = Control(form)
    controls = [Control(w) for w in form.findall("widget")]
    tabstops = [t.text for t in root.findall("tabstops/tabstop")]
    face = next(c.props["font"].findtext("font/family") for c in controls if "font" in c.props)
    fallbacks = [s.text for s in form.findall(
        "property[@name='fallbackFamilies']/stringlist/string")]
    # The signs of every text that the page shows as made that Latin faces lack.
    texts = [c.text("text") or "" for c in controls] + [
        line for value in state.values() for line in ([value] if isinstance(value, str) else value)]
    signs = signs_file and (signs_file[0], {c for text in texts for c in text if ord(c) > 0xFF})
    families, font_faces = faces([face, *fallbacks], signs)
    if signs:
        with open(signs_file[1], "w", encoding="utf-8") as out:
            out.write("".join(sorted(signs[1])))

    # Screen readers read the controls that take no focus first, in the layout's reading order,
    # then those that do, in the order that Tab takes them.
    places, flow, row_count = reading_order(controls, form_control.width)
    quiet = sorted((c for c in controls if c.name not in tabstops),
                   key=lambda c: places.get(c.name, 0))
    focusable = [next(c for c in controls if c.name == name) for name in tabstops]
    body = [element(c, tabstops, tabstops[0] if tabstops else None, state, attributes)
            for c in quiet + focusable]
    body += [f'<div class="break" id="break{i}" aria-hidden="true"></div>'
             for i in range(row_count)]
    # Before the style sheet in the page's head, where a script waits for nothing; the page names
    # the program's script in place of @SCRIPT@.
    script = re.sub(r"^\s*(//.*)?\n", "", open(runtime_js, encoding="utf-8").read(), flags=re.M)
    with open(out_html.removesuffix(".html") + ".head", "w", encoding="utf-8") as out:
        out.write(f'<script data-program="@SCRIPT@">{script}</script>\n')
    with open(out_html.removesuffix(".html") + ".csp", "w", encoding="utf-8") as out:
        out.write(f"'sha256-{base64.b64encode(hashlib.sha256(script.encode()).digest()).decode()}'")
    with open(out_html, "w", encoding="utf-8") as out:
        out.write(f'<main id="{form_control.name}" class="form">\n')
        out.write("".join(f"{line}\n" for line in body))
        out.write("</main>\n")
        out.write(re.sub(r"<!--.*?-->\n", "", open(runtime_html, encoding="utf-8").read()))

    narrow = f"{form_control.width - 0.02:g}"
    with open(out_css, "w", encoding="utf-8") as out:
        out.write(open(runtime_css, encoding="utf-8").read()
                  .replace("@FORM_WIDTH@", str(form_control.width))
                  .replace("@NARROW_WIDTH@", narrow))
        out.write(f"\n/* {form_control.name}, from its layout */\n")
        out.write(font_faces)
        out.write(block(".form > *", [f"font-size: {DEFAULT_FONT * POINT:g}px"]))
        # The East Asian signs proportional, as the layout's P(roportional) Gothic draws them.
        out.write(block(", ".join(f"#{c.name}" for c in controls if "font" in c.props),
                        [f"font-family: {families}", 'font-feature-settings: "palt"']))
        for control in controls:
            out.write(block(f"#{control.name}", look(control)))
            if baseline(control):
                out.write(block(f"#{control.name}::before",
                                ['content: ""', f"height: {baseline(control):.2f}px"]))
        out.write(f"@media (min-width: {form_control.width}px) {{\n")
        out.write(block(".form", [f"width: {form_control.width}px",
                                  f"height: {form_control.height}px"], "    "))
        for control in controls:
            out.write(block(f"#{control.name}", place(control), "    "))
        out.write(f"}}\n@media (max-width: {narrow}px) {{\n")
        for name, style in flow.items():
            out.write(block(f"#{name}", style, "    "))
        out.write("}\n")


if __name__ == "__main__":
    main()
