#!/usr/bin/env bash
# Checks the help that build-help.sh made, as a viewer and an editor's F1 use
# it: every help context of the built type library leads, through the CHM's
# own context map, to a topic the CHM holds whose title names the item (an
# enumeration's topic links to the enumeration's page); every topic of the
# CHM is in its contents; no link of the HTML reference or the CHM is broken.
# Usage: tests/dist/test-help.sh HELPDIR X86_64_WINDOWS_BUILD
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 HELPDIR X86_64_WINDOWS_BUILD" >&2; exit 2; }
help=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/test-help.XXXXXX)
export WINEPREFIX=$work/wine-prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
cleanup() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
extract_chmLib "$help/CorvaneSG3.chm" "$work/chm" >/dev/null
wine wineboot --init >/dev/null 2>&1 || { echo "test-help: Wine cannot start a prefix" >&2; exit 1; }
wine "$windows/server_client.exe" typelib "$windows/CorvaneMP3.ocx" | tr -d '\r' >"$work/typelib.txt"
grep -q '^coclass ' "$work/typelib.txt" || { echo "test-help: no type library read from $windows" >&2; exit 1; }

/usr/bin/python3 - "$work/typelib.txt" "$work/chm" "$help/html" "$top/automation/CorvaneMP3.idl" <<'EOF'
import glob, html, os, re, struct, sys
typelib, chm, web, idl = sys.argv[1:]
failures = []
ivb, strings = (open(os.path.join(chm, n), "rb").read() for n in ("#IVB", "#STRINGS"))
topics = {}
for at in range(4, 4 + struct.unpack("<I", ivb[:4])[0], 8):
    context, offset = struct.unpack("<II", ivb[at:at + 8])
    topics[context] = strings[offset:strings.index(b"\0", offset)].decode()

# (context, kind, name): the library's context (the client does not print it),
# then every class, interface, alias, enumeration, member and event.
library = re.search(r"helpcontext\((\d+)\)[^\]]*\]\s*library\s+(\w+)", open(idl).read())
items = [(int(library.group(1)), "library", library.group(2))]
for line in open(typelib):
    top = re.match(r"(enum|interface|dispinterface|coclass|alias) (\w+) .*? context (\d+)", line)
    member = re.match(r"\s+\S+ kind \d+ (\w+) flags \S+ context (\d+)", line)
    if top:
        items.append((int(top.group(3)), top.group(1), top.group(2)))
    elif member:
        items.append((int(member.group(2)), "member", member.group(1)))
if len(items) < 100:
    failures.append(f"only {len(items)} items read from the type library")

def page(path):
    return open(path, encoding="ascii", errors="replace").read() if os.path.isfile(path) else None

for context, kind, name in items:
    if context == 0:
        continue
    topic = topics.get(context)
    text = page(os.path.join(chm, topic.lstrip("/"))) if topic and topic.startswith("/") else None
    if text is None:
        failures.append(f"{kind} {name}: help context {context} leads to {topic!r}, not a topic in the CHM")
        continue
    title = html.unescape(re.search(r"<title>(.*?)</title>", text, re.S).group(1))
    want = re.sub(r"^_+|___v0$", "", name)
    if kind == "enum" and f'href="{name}.htm"' not in text:
        failures.append(f"enum {name}: topic {topic} of its context {context} has no link to {name}.htm")
    elif kind != "enum" and not re.search(rf"\b{want}\b", title):
        failures.append(f"{kind} {name}: topic {topic} of context {context} is titled {title!r}")

contents = "".join(open(p, errors="replace").read() for p in glob.glob(os.path.join(chm, "*.hhc")))
listed = set(re.findall(r'<param name="Local" value="([^"]+)"', contents, re.I))
for path in glob.glob(os.path.join(chm, "*.htm")):
    if os.path.basename(path) not in listed:
        failures.append(f"topic {os.path.basename(path)} is not reachable from the CHM's contents")
for local in sorted(listed):
    if not os.path.isfile(os.path.join(chm, local)):
        failures.append(f"the contents lead to {local}, which the CHM does not hold")

for folder in (web, chm):
    pages = glob.glob(os.path.join(folder, "*.htm")) + glob.glob(os.path.join(folder, "*.html"))
    if folder == web and not os.path.isfile(os.path.join(web, "index.html")):
        failures.append(f"{web} has no index.html")
    for path in pages:
        for link in sorted(set(re.findall(r'(?:href|src)="([^"#]*)', page(path)))):
            if link and ":" not in link and not os.path.isfile(os.path.join(folder, link)):
                failures.append(f"{path}: broken link to {link}")

for failure in failures:
    print("FAIL:", failure)
print(f"test-help: {len(items)} items, {len(topics)} contexts in the map, {len(listed)} topics in the contents:",
      "FAILED" if failures else "all good")
sys.exit(1 if failures else 0)
EOF
