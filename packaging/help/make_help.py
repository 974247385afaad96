#!/usr/bin/env python3
"""Makes the help project and the browsable HTML reference from the pages in
docs/reference/ and the help contexts of the type library's IDL.

Usage: make_help.py [--docs DIR] [--idl FILE] PROJECT_DIR HTML_DIR
       make_help.py --verify UNPACKED_CHM PROJECT_DIR

PROJECT_DIR receives the help compiler's project (CorvaneSG3.hhp, the
contents and index files, one .htm per page and the stylesheet); HTML_DIR
receives the same pages linked to an index.html. Every help context of the
IDL must lead to exactly one page (the page documenting the library, class or
interface with that context, else the one member page documenting a member
with it); every item of the IDL must be documented by one page; every page
may only document items the IDL has and only link to pages that exist.
All problems are listed before the script fails.
"""
import argparse
import html
import os
import re
import struct
import sys

import markdown

CHM_NAME = "CorvaneSG3"
STYLESHEET = "corvane.css"
CSS = """body { font-family: Verdana, Arial, sans-serif; font-size: 10pt; margin: 0; }
.header, .footer { background: #e8eef6; padding: 4px 10px; font-size: 8pt; }
.header { border-bottom: 1px solid #9fb3cc; }
.footer { border-top: 1px solid #9fb3cc; margin-top: 2em; }
.body { padding: 0 12px; }
h1 { font-size: 15pt; color: #1f3a60; }
h2 { font-size: 11pt; color: #1f3a60; margin-top: 1.4em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #b8c4d2; padding: 2px 6px; text-align: left; vertical-align: top; }
th { background: #eef2f7; }
pre, code { font-family: "Courier New", monospace; }
pre { background: #f4f6f9; border: 1px solid #d8dee6; padding: 6px; }
ul.members { columns: 2; }
"""


class BuildError(Exception):
    pass


# --- the IDL -----------------------------------------------------------------

TOKEN = re.compile(r'"(?:\\.|[^"\\])*"|[A-Za-z_][A-Za-z0-9_]*|0[xX][0-9A-Fa-f]+|-?\d+(?:\.\d+)?|\S')


def tokenize(text):
    text = re.sub(r"//[^\n]*", "", text)
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    text = re.sub(r"^\s*#[^\n]*", "", text, flags=re.M)
    return TOKEN.findall(text)


class Idl:
    """What the help needs of the IDL: every item with its help context."""

    def __init__(self, path):
        self.path = path
        self.tokens = tokenize(open(path, encoding="utf-8").read())
        self.pos = 0
        # name -> {kind, context}; members and events are "Interface.Member"
        self.items = {}
        self.order = []
        self.coclasses = []          # [(name, [interface names])]
        self.aliases = {}            # alias -> interface
        self.enum_values = {}        # enum -> [(member, value)]
        self.library = None
        self.version = ""
        while self.pos < len(self.tokens):
            self.top_level()

    def fail(self, what):
        near = " ".join(self.tokens[self.pos:self.pos + 8])
        raise BuildError(f"{self.path}: cannot read the IDL: {what} (near: {near})")

    def peek(self):
        return self.tokens[self.pos] if self.pos < len(self.tokens) else ""

    def take(self, expected=None):
        if self.pos >= len(self.tokens):
            self.fail("unexpected end")
        tok = self.tokens[self.pos]
        if expected is not None and tok != expected:
            self.fail(f"expected {expected!r}")
        self.pos += 1
        return tok

    def skip_balanced(self, opening, closing):
        depth = 0
        while True:
            tok = self.take()
            if tok == opening:
                depth += 1
            elif tok == closing:
                depth -= 1
                if depth == 0:
                    return

    def attributes(self):
        attrs = {"context": None, "flags": set()}
        if self.peek() != "[":
            return attrs
        start = self.pos
        self.skip_balanced("[", "]")
        toks = self.tokens[start + 1:self.pos - 1]
        for i, tok in enumerate(toks):
            if tok == "helpcontext":
                attrs["context"] = int(toks[i + 2], 0)
            elif tok == "version":
                attrs["version"] = toks[i + 2]
            elif re.match(r"[a-z]+$", tok):
                attrs["flags"].add(tok)
        return attrs

    def add(self, name, kind, attrs):
        if name in self.items:
            item = self.items[name]
            if attrs["context"] is not None and item["context"] not in (None, attrs["context"]):
                raise BuildError(f"{self.path}: {name} has two help contexts")
            item["context"] = item["context"] if attrs["context"] is None else attrs["context"]
            return
        self.items[name] = {"kind": kind, "context": attrs["context"]}
        self.order.append(name)

    def top_level(self):
        attrs = self.attributes()
        tok = self.take()
        if tok == "import":
            self.take()
            self.take(";")
        elif tok == "cpp_quote":
            self.skip_call("(", ")")
        elif tok == "library":
            self.library = self.take()
            self.version = attrs.get("version", "")
            self.add(self.library, "library", attrs)
            self.take("{")
            while self.peek() != "}":
                self.library_item()
            self.take("}")
            if self.peek() == ";":
                self.take()
        else:
            self.fail(f"unexpected {tok!r}")

    def skip_call(self, opening, closing):
        """Skips a parenthesised argument list and the semicolon after it."""
        if self.peek() != opening:
            self.fail(f"expected {opening!r}")
        self.skip_balanced(opening, closing)
        if self.peek() == ";":
            self.take()

    def library_item(self):
        attrs = self.attributes()
        tok = self.take()
        if tok in ("importlib", "cpp_quote"):
            self.skip_call("(", ")")
        elif tok == "typedef":
            self.typedef()
        elif tok == "interface":
            self.interface(attrs)
        elif tok == "dispinterface":
            self.dispinterface(attrs)
        elif tok == "coclass":
            self.coclass(attrs)
        else:
            self.fail(f"unexpected {tok!r}")

    def typedef(self):
        attrs = self.attributes()
        if self.peek() == "enum":
            self.take()
            name = self.take()
            self.take("{")
            values = []
            while self.peek() != "}":
                member = self.take()
                self.take("=")
                values.append((member, self.take()))
                if self.peek() == ",":
                    self.take()
            self.take("}")
            self.take(name)
            self.take(";")
            self.add(name, "enum", attrs)
            self.enum_values[name] = values
            return
        target = self.take()
        name = self.take()
        self.take(";")
        self.aliases[name] = target
        self.add(name, "alias", attrs)

    def member(self, interface, kind):
        attrs = self.attributes()
        name = None
        while self.peek() != "(":
            name = self.take()
        self.skip_balanced("(", ")")
        self.take(";")
        self.add(f"{interface}.{name}", kind, attrs)

    def interface(self, attrs):
        name = self.take()
        if self.peek() == ";":     # forward declaration
            self.take()
            return
        self.take(":")
        self.take()
        self.add(name, "interface", attrs)
        self.take("{")
        while self.peek() != "}":
            self.member(name, "member")
        self.take("}")
        self.take(";")

    def dispinterface(self, attrs):
        name = self.take()
        self.add(name, "dispinterface", attrs)
        self.take("{")
        while self.peek() != "}":
            if self.peek() in ("properties", "methods"):
                self.take()
                self.take(":")
            else:
                self.member(name, "event")
        self.take("}")
        self.take(";")

    def coclass(self, attrs):
        name = self.take()
        self.add(name, "coclass", attrs)
        self.take("{")
        interfaces = []
        while self.peek() != "}":
            self.attributes()
            self.take()
            interfaces.append(self.take())
            self.take(";")
        self.take("}")
        self.take(";")
        self.coclasses.append((name, interfaces))

    def class_of_interface(self, interface):
        interface = self.aliases.get(interface, interface)
        for cls, interfaces in self.coclasses:
            if interface in interfaces:
                return cls
        return None


# --- the pages ---------------------------------------------------------------

class Page:
    def __init__(self, path):
        self.path = path
        self.file = os.path.basename(path)
        self.stem = self.file[:-3]
        self.htm = self.stem + ".htm"
        text = open(path, encoding="utf-8").read()
        match = re.match(r"---\n(.*?)\n---\n", text, re.S)
        if not match:
            raise BuildError(f"{self.file}: no front matter (a '---' line, title:, documents:, a '---' line)")
        fields = {}
        for line in match.group(1).splitlines():
            key, sep, value = line.partition(":")
            if not sep:
                raise BuildError(f"{self.file}: front matter line without 'key: value': {line!r}")
            fields[key.strip()] = value.strip()
        if not fields.get("title"):
            raise BuildError(f"{self.file}: the front matter has no title")
        if "documents" not in fields:
            raise BuildError(f"{self.file}: the front matter has no documents line")
        self.title = fields["title"]
        self.documents = fields["documents"].split()
        self.body = text[match.end():]
        self.links = sorted(set(re.findall(r"\]\(([^)\s#]+\.md)(?:#[^)]*)?\)", self.body)))


def load_pages(docs):
    names = sorted(n for n in os.listdir(docs) if n.endswith(".md"))
    if not names:
        raise BuildError(f"{docs}: no pages (*.md)")
    return [Page(os.path.join(docs, n)) for n in names]


def map_contexts(idl, pages):
    """Checks pages against the IDL; returns ({context: page}, [errors])."""
    errors = []
    documented_by = {}
    for page in pages:
        for item in page.documents:
            if item not in idl.items:
                errors.append(f"{page.file} documents {item}, which the type library does not have")
            elif item in documented_by:
                errors.append(f"{item} is documented by two pages: {documented_by[item].file} and {page.file}")
            else:
                documented_by[item] = page
    for page in pages:
        for link in page.links:
            if not os.path.exists(os.path.join(os.path.dirname(page.path), link)):
                errors.append(f"{page.file} links to {link}, which does not exist")
    for name in idl.order:
        if name not in documented_by:
            ctx = idl.items[name]["context"]
            errors.append(f"missing page: no page documents {name}"
                          + (f" (help context {ctx})" if ctx else " (no help context)"))
    contexts = sorted({i["context"] for i in idl.items.values() if i["context"]})
    mapping = {}
    for ctx in contexts:
        named = [n for n in idl.order if idl.items[n]["context"] == ctx]
        top = {documented_by[n].file: documented_by[n] for n in named
               if idl.items[n]["kind"] in ("library", "coclass", "interface", "dispinterface")
               and n in documented_by}
        members = {documented_by[n].file: documented_by[n] for n in named
                   if idl.items[n]["kind"] in ("member", "event") and n in documented_by}
        choice = top or members
        if len(choice) == 1:
            mapping[ctx] = next(iter(choice.values()))
        elif len(choice) > 1:
            kind = "class/interface" if top else "member"
            errors.append(f"help context {ctx} is claimed by two {kind} pages: {', '.join(sorted(choice))}")
        else:
            errors.append(f"help context {ctx} ({', '.join(named)}) has no page")
    return mapping, documented_by, errors


# --- output ------------------------------------------------------------------

def write(path, text):
    with open(path, "w", encoding="ascii", errors="xmlcharrefreplace", newline="\r\n") as out:
        out.write(text)


def render(page, contents_href, product):
    body = markdown.markdown(page.body, extensions=["tables", "fenced_code"], output_format="html")
    body = re.sub(r'href="([^":/#]+)\.md(#[^"]*)?"', r'href="\1.htm\2"', body)
    title = html.escape(page.title)
    return (f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            f'<meta http-equiv="X-UA-Compatible" content="IE=edge">\n<title>{title}</title>\n'
            f'<link rel="stylesheet" type="text/css" href="{STYLESHEET}">\n</head>\n<body>\n'
            f'<div class="header"><a href="{contents_href}">{html.escape(product)} Reference</a></div>\n'
            f'<div class="body">\n{body}\n</div>\n'
            f'<div class="footer"><a href="{contents_href}">Contents</a> | {html.escape(product)}</div>\n'
            f'</body>\n</html>\n')


def sitemap_entry(name, local):
    entry = f'<param name="Name" value="{html.escape(name)}">'
    if local:
        entry += f'<param name="Local" value="{local}">'
    return f'<LI><OBJECT type="text/sitemap">{entry}</OBJECT>\n'


def class_tree(idl, pages, documented_by):
    """[(class page, [member pages])], [enum pages], [other pages]."""
    classes, placed = [], set()
    for cls, interfaces in idl.coclasses:
        page = documented_by.get(cls)
        members = []
        for name in idl.order:
            item = idl.items[name]
            if item["kind"] in ("member", "event") and name.split(".")[0] in interfaces:
                member_page = documented_by.get(name)
                if member_page and member_page not in members:
                    members.append(member_page)
        members.sort(key=lambda p: p.title.lower())
        classes.append((cls, page, members))
        placed.update(members)
        if page:
            placed.add(page)
    enums = [documented_by[n] for n in idl.order if idl.items[n]["kind"] == "enum" and n in documented_by]
    placed.update(enums)
    library_page = documented_by.get(idl.library)
    placed.add(library_page)
    others = sorted((p for p in pages if p not in placed), key=lambda p: (p.stem != "index", p.title.lower()))
    return library_page, classes, enums, others


def write_contents(path, tree):
    library_page, classes, enums, others = tree
    out = ['<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML>\n<HEAD></HEAD>\n<BODY>\n',
           '<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>\n<UL>\n']
    out.append(sitemap_entry(library_page.title, library_page.htm) + "<UL>\n")
    for page in others:
        out.append(sitemap_entry(page.title, page.htm))
    for cls, page, members in classes:
        out.append(sitemap_entry(page.title if page else cls, page.htm if page else None))
        out.append("<UL>\n" + "".join(sitemap_entry(m.title, m.htm) for m in members) + "</UL>\n")
    out.append(sitemap_entry("Enumerations", None))
    out.append("<UL>\n" + "".join(sitemap_entry(p.title, p.htm) for p in enums) + "</UL>\n")
    out.append("</UL>\n</UL>\n</BODY>\n</HTML>\n")
    write(path, "".join(out))


def index_keywords(idl, pages, documented_by):
    """[(keyword, page)] sorted: every page by title, every member and enumeration constant by name."""
    words = {(p.title, p.htm): p for p in pages}
    by_name = {}
    for name, page in documented_by.items():
        if idl.items[name]["kind"] in ("member", "event"):
            by_name.setdefault(name.split(".", 1)[1], set()).add(page)
    for member, member_pages in by_name.items():
        for page in member_pages:
            word = member if len(member_pages) == 1 else f"{member} ({', '.join(member_classes(idl, page, member))})"
            words[(word, page.htm)] = page
    for enum, values in idl.enum_values.items():
        if enum in documented_by:
            for constant, _ in values:
                words[(constant, documented_by[enum].htm)] = documented_by[enum]
    return sorted(((w, p) for (w, _), p in words.items()), key=lambda wp: (wp[0].lower(), wp[1].htm))


def member_classes(idl, page, member):
    """The classes on which the page documents the member of that name."""
    found = []
    for item in page.documents:
        interface, _, name = item.partition(".")
        cls = idl.class_of_interface(interface)
        if name == member and cls and cls not in found:
            found.append(cls)
    order = [cls for cls, _ in idl.coclasses]
    return sorted(found, key=order.index)


def write_index(path, keywords):
    out = ['<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML>\n<HEAD></HEAD>\n<BODY>\n<UL>\n']
    out += [sitemap_entry(word, page.htm) for word, page in keywords]
    out.append("</UL>\n</BODY>\n</HTML>\n")
    write(path, "".join(out))


def write_project(project, pages, mapping, product, default_topic):
    lines = ["[OPTIONS]", "Compatibility=1.1 or later", f"Compiled file={CHM_NAME}.chm",
             f"Contents file={CHM_NAME}.hhc", f"Index file={CHM_NAME}.hhk",
             f"Default topic={default_topic}", "Display compile progress=No",
             "Full-text search=Yes", "Language=0x409 English (United States)",
             f"Title={product} Reference", "", "[FILES]"]
    lines += [p.htm for p in pages] + [STYLESHEET, "", "[ALIAS]"]
    lines += [f"IDH_{ctx}={page.htm}" for ctx, page in sorted(mapping.items())]
    lines += ["", "[MAP]"] + [f"#define IDH_{ctx} {ctx}" for ctx in sorted(mapping)] + [""]
    write(os.path.join(project, CHM_NAME + ".hhp"), "\n".join(lines))


def write_html_index(path, idl, tree, product):
    library_page, classes, enums, others = tree
    link = lambda p: f'<a href="{p.htm}">{html.escape(p.title)}</a>'
    out = [f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
           f'<title>{html.escape(product)} Reference</title>\n'
           f'<link rel="stylesheet" type="text/css" href="{STYLESHEET}">\n</head>\n<body>\n'
           f'<div class="body">\n<h1>{html.escape(product)} Reference</h1>\n<ul>\n'
           f'<li>{link(library_page)}</li>\n']
    out += [f"<li>{link(p)}</li>\n" for p in others]
    out.append("</ul>\n<h2>Classes</h2>\n")
    for cls, page, members in classes:
        out.append(f"<h3>{link(page) if page else html.escape(cls)}</h3>\n<ul class=\"members\">\n")
        out += [f"<li>{link(m)}</li>\n" for m in members]
        out.append("</ul>\n")
    out.append("<h2>Enumerations</h2>\n<ul>\n" + "".join(f"<li>{link(p)}</li>\n" for p in enums) + "</ul>\n")
    out.append('<h2>All members</h2>\n<ul class="members">\n')
    members = sorted({(m.split(".", 1)[1], page) for m, page in tree_members(idl, tree)},
                     key=lambda t: (t[0].lower(), t[1].htm))
    for name, page in members:
        classes = ", ".join(member_classes(idl, page, name))
        out.append(f'<li><a href="{page.htm}">{html.escape(name)}</a> ({html.escape(classes)})</li>\n')
    out.append("</ul>\n</div>\n</body>\n</html>\n")
    write(path, "".join(out))


def tree_members(idl, tree):
    _, classes, _, _ = tree
    for _, _, members in classes:
        for page in members:
            for item in page.documents:
                if item in idl.items and idl.items[item]["kind"] in ("member", "event"):
                    yield item, page


def verify_chm(project, unpacked):
    """Checks the compiled file's own context map (#IVB, #STRINGS) against the
    project's [ALIAS] section: each context must lead to /page.htm, a file the
    CHM holds."""
    aliases = re.findall(r"^IDH_(\d+)=(\S+)", open(os.path.join(project, CHM_NAME + ".hhp")).read(), re.M)
    try:
        ivb = open(os.path.join(unpacked, "#IVB"), "rb").read()
        strings = open(os.path.join(unpacked, "#STRINGS"), "rb").read()
    except OSError as error:
        raise BuildError(f"the compiled help file has no context map: {error}")
    topics = {}
    for at in range(4, 4 + struct.unpack("<I", ivb[:4])[0], 8):
        context, offset = struct.unpack("<II", ivb[at:at + 8])
        topics[context] = strings[offset:strings.index(b"\0", offset)].decode("latin-1")
    wrong = [f"context {ctx} leads to {topics.get(int(ctx))!r}, not /{page}" for ctx, page in aliases
             if topics.get(int(ctx)) != "/" + page or not os.path.isfile(os.path.join(unpacked, page))]
    if len(wrong) > 5:
        wrong[5:] = [f"and {len(wrong) - 5} more"]
    if wrong or not aliases:
        raise BuildError("the compiled help file's context map is wrong:\n  " + "\n  ".join(wrong or ["no contexts"]))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--docs", default=os.path.join(top, "docs", "reference"))
    parser.add_argument("--idl", default=os.path.join(top, "automation", "CorvaneMP3.idl"))
    parser.add_argument("--verify", metavar="UNPACKED_CHM",
                        help="only check the unpacked compiled file's context map against PROJECT_DIR")
    parser.add_argument("project")
    parser.add_argument("html", nargs="?")
    args = parser.parse_args()
    try:
        if args.verify:
            verify_chm(args.project, args.verify)
            return 0
        if not args.html:
            parser.error("HTML_DIR is missing")
        idl = Idl(args.idl)
        pages = load_pages(args.docs)
        mapping, documented_by, errors = map_contexts(idl, pages)
        for required in ("index", idl.library):
            if not any(p.stem == required for p in pages):
                errors.append(f"missing page: {required}.md")
        if errors:
            raise BuildError("the help cannot be built:\n  " + "\n  ".join(errors))
        product = f"{idl.library} {idl.version}"
        tree = class_tree(idl, pages, documented_by)
        keywords = index_keywords(idl, pages, documented_by)
        for folder, contents in ((args.project, "index.htm"), (args.html, "index.html")):
            os.makedirs(folder, exist_ok=True)
            write(os.path.join(folder, STYLESHEET), CSS)
            for page in pages:
                write(os.path.join(folder, page.htm), render(page, contents, product))
        write_contents(os.path.join(args.project, CHM_NAME + ".hhc"), tree)
        write_index(os.path.join(args.project, CHM_NAME + ".hhk"), keywords)
        write_project(args.project, pages, mapping, product, "index.htm")
        write_html_index(os.path.join(args.html, "index.html"), idl, tree, product)
        print(f"make_help: {len(pages)} pages, {len(mapping)} help contexts mapped", file=sys.stderr)
    except BuildError as error:
        print(f"make_help: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
