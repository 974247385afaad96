#!/usr/bin/env python3
"""The server's registration as an installer package sees it.

harvest BEFORE AFTER FOLDER
    Compares two copies of a Wine prefix's system.reg, taken before and after
    the server registered itself from FOLDER, and prints (JSON) every key and
    value it added below Software\\Classes: the rows the package writes.
wxs ARCH VERSION UPGRADE_CODE HARVEST FILE...
    Prints the WiX source of the package for ARCH (i686 or x86_64): FILEs
    (taken from the current folder by name) installed into Program
    Files\\CorvaneMP3, and the harvested registration with the server's folder
    replaced by the installed files' paths.
"""
import json
import re
import sys
from xml.sax.saxutils import quoteattr

CLASSES = "software\\classes\\"
WOW64 = "Software\\Classes\\Wow6432Node\\"
FOLDER_NAME = "CorvaneMP3"


def fail(message):
    sys.exit("com-registry: " + message)


def unescape(text):
    """A string as Wine's registry files write it, without its quotes."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        nxt = text[i + 1]
        if nxt == "x":
            digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:]).group(0)
            out.append(chr(int(digits, 16)))
            i += 2 + len(digits)
            continue
        out.append({"n": "\n", "r": "\r", "t": "\t", "a": "\a", "b": "\b", "e": "\x1b",
                    "f": "\f", "v": "\v", "0": "\0"}.get(nxt, nxt))
        i += 2
    return "".join(out)


QUOTED = r'"((?:[^"\\]|\\.)*)"'


def read_registry(path):
    """{key: {value name: value as written}} and the set of link keys."""
    keys, links, key = {}, set(), None
    with open(path, encoding="utf-8", errors="surrogateescape") as handle:
        lines = handle.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and not line.startswith("[") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + lines[i].strip()
        i += 1
        if line.startswith("["):
            match = re.match(r"\[(.*)\](?: \d+)?$", line)
            if not match:
                fail(f"{path}: a key line not understood: {line}")
            key = unescape(match.group(1))
            keys[key] = {}
        elif line == "#link":
            links.add(key)
        elif line.startswith("#") or not line.strip() or key is None:
            continue
        else:
            match = re.match(r"(@|" + QUOTED + r")=(.*)$", line)
            if not match:
                fail(f"{path}: a value line not understood: {line}")
            name = "" if match.group(1) == "@" else unescape(match.group(2))
            keys[key][name] = match.group(3)
    return keys, links


def parse_data(text, path, key):
    match = re.fullmatch(r'(str\(2\):)?' + QUOTED, text)
    if match:
        return ("expandable" if match.group(1) else "string", unescape(match.group(2)))
    match = re.fullmatch(r"dword:([0-9a-fA-F]{8})", text)
    if match:
        return ("integer", str(int(match.group(1), 16)))
    fail(f"{path}: [{key}]: a value of a type the package cannot write: {text[:60]}")


def harvest(before_path, after_path, folder):
    before, _ = read_registry(before_path)
    after, links = read_registry(after_path)
    rows, bare = [], []
    for key in sorted(after, key=str.lower):
        if not key.lower().startswith(CLASSES) or key in links:
            continue
        old = before.get(key, {})
        gone = set(old) - set(after[key])
        if gone:
            fail(f"registration removed values of [{key}]: {sorted(gone)}")
        added = {name: data for name, data in after[key].items() if old.get(name) != data}
        if added:
            rows.append([key, [[name, *parse_data(added[name], after_path, key)] for name in sorted(added)]])
        elif key not in before:
            bare.append(key)
    for key in bare:  # an empty new key is made as the parent of one with values
        if not any(row[0].lower().startswith(key.lower() + "\\") for row in rows):
            fail(f"registration made the empty key [{key}], which the package cannot write")
    if not rows:
        fail("registration added nothing below Software\\Classes")
    print('{"folder": %s, "keys": [\n %s\n]}' % (json.dumps(folder), ",\n ".join(map(json.dumps, rows))))


def file_name(path):
    return path.rsplit("/", 1)[-1]


def file_id(path):
    """The file's key in the package's tables: an identifier."""
    return re.sub(r"[^A-Za-z0-9_.]", "_", file_name(path))


def formatted(value, folder, files):
    """A harvested value as a formatted string of the package."""
    if "[" in value or "]" in value or value.startswith("#"):
        fail(f"a value the package would read as formatted text: {value}")
    for path in files:
        installed = folder + "\\" + file_name(path)
        value = re.sub(re.escape(installed), "[#" + file_id(path) + "]", value, flags=re.I)
    if value.lower() == folder.lower():
        return "[CorvaneFolderPath]"
    if folder.lower() in value.lower():
        fail(f"a value names a file of the server's folder that the package does not install: {value}")
    return value


def registry_xml(rows, folder, files, indent):
    lines = []
    for key, values in rows:
        for name, kind, value in values:
            name_attr = f" Name={quoteattr(name)}" if name else ""
            lines.append(f'{indent}<RegistryValue Root="HKLM" Key={quoteattr(key)}{name_attr} Type="{kind}"'
                         f" Value={quoteattr(formatted(value, folder, files))}/>")
    return lines


def wxs(arch, version, upgrade_code, harvest_path, files):
    if arch not in ("i686", "x86_64"):
        fail(f"unknown architecture {arch}")
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        fail(f"the version must be MAJOR.MINOR.PATCH, not {version}")
    with open(harvest_path, encoding="utf-8") as handle:
        harvested = json.load(handle)
    win64 = arch == "x86_64"
    native = [row for row in harvested["keys"] if not row[0].startswith(WOW64)]
    wow = [["Software\\Classes\\" + row[0][len(WOW64):], row[1]]
           for row in harvested["keys"] if row[0].startswith(WOW64)]
    if wow and not win64:
        fail("a 32-bit registration wrote into the 32-bit view of a 64-bit system")
    program_files = "ProgramFiles64Folder" if win64 else "ProgramFilesFolder"
    yes_no = "yes" if win64 else "no"
    out = [
        '<?xml version="1.0" encoding="utf-8"?>',
        '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
        f'  <Product Id="*" Name="CorvaneMP3 {version} ({"x64" if win64 else "x86"})" Language="1033"'
        f' Version="{version}" Manufacturer="CorvaneStudio" UpgradeCode="{upgrade_code}">',
        '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"'
        ' Description="CorvaneMP3 audio controls and decoder library"/>',
        '    <MajorUpgrade DowngradeErrorMessage="A newer version of CorvaneMP3 is already installed."/>',
        '    <Media Id="1" Cabinet="CorvaneMP3.cab" EmbedCab="yes"/>',
        # The type library's help folder is the installation folder without
        # the trailing separator a folder property carries.
        f'    <CustomAction Id="SetCorvaneFolderPath" Property="CorvaneFolderPath"'
        f' Value="[{program_files}]{FOLDER_NAME}"/>',
        '    <InstallExecuteSequence>',
        '      <Custom Action="SetCorvaneFolderPath" After="CostFinalize"/>',
        '    </InstallExecuteSequence>',
        '    <Directory Id="TARGETDIR" Name="SourceDir">',
        f'      <Directory Id="{program_files}">',
        # A private property: the folder is not moved from the command line,
        # so the help folder above stays the installation folder.
        f'        <Directory Id="CorvaneFolder" Name="{FOLDER_NAME}">',
    ]
    for path in files:
        out.append(f'          <Component Id={quoteattr("c_" + file_id(path))} Guid="*" Win64="{yes_no}">')
        out.append(f'            <File Id={quoteattr(file_id(path))} Name={quoteattr(file_name(path))}'
                   f' Source={quoteattr(file_name(path))} KeyPath="yes"/>')
        if file_name(path).lower().endswith(".ocx"):
            out += registry_xml(native, harvested["folder"], files, "            ")
        out.append("          </Component>")
    if wow:
        out.append('          <Component Id="c_registration32" Guid="*" Win64="no">')
        lines = registry_xml(wow, harvested["folder"], files, "            ")
        lines[0] = lines[0].replace("/>", ' KeyPath="yes"/>')
        out += lines + ["          </Component>"]
    out += ["        </Directory>", "      </Directory>", "    </Directory>",
            '    <Feature Id="Complete" Level="1">']
    out += [f'      <ComponentRef Id={quoteattr("c_" + file_id(path))}/>' for path in files]
    if wow:
        out.append('      <ComponentRef Id="c_registration32"/>')
    out += ["    </Feature>", "  </Product>", "</Wix>"]
    print("\n".join(out))


def main(argv):
    if len(argv) == 5 and argv[1] == "harvest":
        harvest(*argv[2:])
    elif len(argv) >= 7 and argv[1] == "wxs":
        if len({file_id(path).lower() for path in argv[6:]}) != len(argv[6:]):
            fail("two files of the same name")
        wxs(argv[2], argv[3], argv[4], argv[5], argv[6:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
