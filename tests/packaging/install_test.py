#!/usr/bin/env python3
"""Installs a build into a temporary prefix and checks what lands there.

The programs run from the prefix; the desktop entry names them, the icon and a file type that is
defined; the icon is well-formed SVG; the installed examples are those of the source tree; and the
magic of the MIME description, read with its own small interpreter here, recognises project and
driver files written in each of the three forms by our own storage code, and nothing else.
"""
import argparse
import os
import random
import shutil
import stat
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

APP_ID = "de.sonora.Sonora"
MIME_NS = "{http://www.freedesktop.org/standards/shared-mime-info}"
SVG_NS = "{http://www.w3.org/2000/svg}"
PROJECT_TYPE = "application/x-sonora-project"
DRIVER_TYPE = "application/x-sonora-driver"
DATA_FOLDERS = ("Chassis", "Projekte", "Weichenbauteile")

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


# ---- shared-mime-info magic, interpreted independently of any MIME library


def unescape(value):
    """The C-style escapes of a magic string value: \\xHH, octal \\NNN and \\n, \\t, \\r, \\\\."""
    out = bytearray()
    i = 0
    raw = value.encode("utf-8")
    simple = {ord("n"): 10, ord("t"): 9, ord("r"): 13, ord("\\"): 92}
    while i < len(raw):
        c = raw[i]
        if c != 0x5C or i + 1 == len(raw):
            out.append(c)
            i += 1
            continue
        n = raw[i + 1]
        if n in (ord("x"), ord("X")):
            j = i + 2
            while j < len(raw) and j < i + 4 and chr(raw[j]) in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(raw[i + 2:j], 16))
            i = j
        elif ord("0") <= n <= ord("7"):
            j = i + 1
            while j < len(raw) and j < i + 4 and ord("0") <= raw[j] <= ord("7"):
                j += 1
            out.append(int(raw[i + 1:j], 8) & 0xFF)
            i = j
        else:
            out.append(simple.get(n, n))
            i += 2
    return bytes(out)


def pattern_of(match):
    kind = match.get("type")
    value = match.get("value")
    if kind == "string":
        return unescape(value)
    sizes = {"byte": 1, "big16": 2, "little16": 2, "big32": 4, "little32": 4}
    if kind not in sizes:
        raise ValueError("magic type %s is not handled here" % kind)
    number = int(value, 0)
    order = "little" if kind.startswith("little") else "big"
    return number.to_bytes(sizes[kind], order)


def match_here(match, data):
    pattern = pattern_of(match)
    offset = match.get("offset")
    first, _, last = offset.partition(":")
    first = int(first)
    last = int(last) if last else first
    mask = match.get("mask")
    mask_bytes = None
    if mask is not None:
        mask_bytes = int(mask, 0).to_bytes(len(pattern), "big")
    for start in range(first, last + 1):
        window = data[start:start + len(pattern)]
        if len(window) < len(pattern):
            continue
        if mask_bytes is None:
            if window == pattern:
                return True
        elif all((w & m) == (p & m) for w, p, m in zip(window, pattern, mask_bytes)):
            return True
    return False


def match_tree(match, data):
    if not match_here(match, data):
        return False
    children = match.findall(MIME_NS + "match")
    return not children or any(match_tree(c, data) for c in children)


def magic_matches(mime_type, data):
    return any(
        match_tree(m, data)
        for magic in mime_type.findall(MIME_NS + "magic")
        for m in magic.findall(MIME_NS + "match"))


def glob_matches(mime_type, name):
    import fnmatch
    for g in mime_type.findall(MIME_NS + "glob"):
        pattern = g.get("pattern")
        if g.get("case-sensitive") == "true":
            if fnmatch.fnmatchcase(name, pattern):
                return True
        elif fnmatch.fnmatchcase(name.lower(), pattern.lower()):
            return True
    return False


# ---- the checks


def check_files(prefix):
    expected = [
        "bin/sonora",
        "bin/sonora-cli",
        "share/applications/%s.desktop" % APP_ID,
        "share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
        "share/mime/packages/%s.xml" % APP_ID,
        "share/doc/sonora/copyright",
    ]
    for rel in expected:
        check(os.path.isfile(os.path.join(prefix, rel)), "installed: " + rel)
    for program in ("sonora", "sonora-cli"):
        path = os.path.join(prefix, "bin", program)
        check(os.path.isfile(path) and os.stat(path).st_mode & stat.S_IXUSR,
              program + " is executable")


def check_examples(prefix, examples):
    installed_root = os.path.join(prefix, "share", "sonora")
    for folder in DATA_FOLDERS:
        source = os.path.join(examples, folder)
        installed = os.path.join(installed_root, folder)
        wanted = sorted(os.path.relpath(os.path.join(d, f), source)
                        for d, _, files in os.walk(source) for f in files)
        got = sorted(os.path.relpath(os.path.join(d, f), installed)
                     for d, _, files in os.walk(installed) for f in files)
        check(len(wanted) > 0, "the source tree has examples in " + folder)
        check(wanted == got, "installed %s holds the same files as examples/%s" % (folder, folder))
        for rel in set(wanted) & set(got):
            with open(os.path.join(source, rel), "rb") as a, \
                    open(os.path.join(installed, rel), "rb") as b:
                check(a.read() == b.read(), "installed %s/%s is unchanged" % (folder, rel))


def read_desktop(path):
    groups = {}
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = groups.setdefault(line[1:-1], {})
                continue
            check(current is not None and "=" in line, "desktop entry line: " + line)
            if current is not None and "=" in line:
                key, value = line.split("=", 1)
                check(key.strip() not in current, "desktop entry key once: " + key)
                current[key.strip()] = value.strip()
    return groups


def check_desktop(prefix, mime_types):
    path = os.path.join(prefix, "share", "applications", APP_ID + ".desktop")
    if not os.path.isfile(path):
        return
    entry = read_desktop(path).get("Desktop Entry", {})
    check(entry.get("Type") == "Application", "desktop entry is an application")
    check(entry.get("Name", "") != "", "desktop entry has a name")
    exec_line = entry.get("Exec", "").split()
    check(len(exec_line) >= 2 and exec_line[0] == "sonora", "desktop entry starts sonora")
    check(os.path.isfile(os.path.join(prefix, "bin", exec_line[0] if exec_line else "-")),
          "the program of the desktop entry is installed")
    check("%f" in exec_line or "%F" in exec_line, "desktop entry passes the opened file")
    check(entry.get("Icon") == APP_ID, "desktop entry names the installed icon")
    listed = [t for t in entry.get("MimeType", "").split(";") if t]
    check(PROJECT_TYPE in listed, "desktop entry opens projects")
    for t in listed:
        check(t in mime_types, "file type %s of the desktop entry is defined" % t)
    check(entry.get("Categories", "").endswith(";"), "categories end with a semicolon")
    validator = shutil.which("desktop-file-validate")
    if validator:
        run = subprocess.run([validator, path], capture_output=True, text=True)
        check(run.returncode == 0 and run.stdout.strip() == "",
              "desktop-file-validate: " + run.stdout + run.stderr)
    else:
        print("note: desktop-file-validate not found, keys checked only")


def check_icon(prefix):
    path = os.path.join(prefix, "share", "icons", "hicolor", "scalable", "apps", APP_ID + ".svg")
    if not os.path.isfile(path):
        return
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        check(False, "icon is well-formed XML: %s" % e)
        return
    check(root.tag == SVG_NS + "svg", "icon is an SVG document")
    view = root.get("viewBox", "").split()
    check(len(view) == 4 and float(view[2]) == float(view[3]) and float(view[2]) > 0,
          "icon has a square view box")
    drawn = [e for e in root.iter() if e.tag in
             (SVG_NS + "rect", SVG_NS + "circle", SVG_NS + "path", SVG_NS + "ellipse")]
    check(len(drawn) >= 3, "icon draws something")


def write_forms(tools, source, folder, stem, extension):
    """The file in its three forms: plain and compressed by sonora-cli, scrambled by the storage
    code (no program of ours writes that form any more)."""
    files = {}
    for form in ("plain", "compressed", "scrambled"):
        target = os.path.join(folder, "%s-%s%s" % (stem, form, extension))
        if form == "scrambled":
            command = [tools.write_form, source, target, "scrambled"]
        else:
            command = [tools.cli, "convert", source, target, "--" + form]
        run = subprocess.run(command, capture_output=True)
        check(run.returncode == 0 and os.path.isfile(target),
              "writing the %s form of %s: %s" % (form, stem, run.stderr.decode(errors="replace")))
        files[form] = target
    return files


def check_mime(prefix, tools, work):
    path = os.path.join(prefix, "share", "mime", "packages", APP_ID + ".xml")
    if not os.path.isfile(path):
        return {}
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        check(False, "MIME description is well-formed XML: %s" % e)
        return {}
    check(root.tag == MIME_NS + "mime-info", "MIME description is a mime-info document")
    types = {t.get("type"): t for t in root.findall(MIME_NS + "mime-type")}
    check(PROJECT_TYPE in types and DRIVER_TYPE in types, "project and driver types defined")
    if PROJECT_TYPE not in types or DRIVER_TYPE not in types:
        return types
    for t in types.values():
        check(t.findall(MIME_NS + "comment"), "%s has a comment" % t.get("type"))

    project = types[PROJECT_TYPE]
    driver = types[DRIVER_TYPE]
    check(glob_matches(project, "Box.LSP") and glob_matches(project, "box.lsp"),
          "projects are recognised by name")
    check(glob_matches(driver, "HT.LSC") and glob_matches(driver, "ht.lsc"),
          "drivers are recognised by name")
    check(not glob_matches(project, "HT.LSC") and not glob_matches(driver, "Box.LSP"),
          "a driver's name is no project's and the other way round")
    check(not glob_matches(project, "Box.LSP.exp"), "an export named after a project is no project")

    data = os.path.join(prefix, "share", "sonora")
    projects = sorted(f for f in os.listdir(os.path.join(data, "Projekte")) if f.endswith(".LSP"))
    drivers = sorted(f for f in os.listdir(os.path.join(data, "Chassis")) if f.endswith(".LSC"))
    if not check(projects and drivers, "installed examples to write in each form"):
        return types
    written = {
        PROJECT_TYPE: write_forms(tools, os.path.join(data, "Projekte", projects[0]), work,
                                  "projekt", ".LSP"),
        DRIVER_TYPE: write_forms(tools, os.path.join(data, "Chassis", drivers[0]), work,
                                 "chassis", ".LSC"),
    }
    shown = {"plain": "Text", "compressed": "komprimiert", "scrambled": "verschl"}
    for type_name, files in written.items():
        for form, file in files.items():
            if not os.path.isfile(file):
                continue
            with open(file, "rb") as f:
                head = f.read(256)
            for other_name, other in types.items():
                check(magic_matches(other, head),
                      "%s form of a %s file matches the magic of %s (first bytes %s)" %
                      (form, type_name, other_name, head[:12].hex()))
            check(glob_matches(types[type_name], os.path.basename(file)),
                  "%s form keeps its name pattern" % form)
            # The program reads what the magic accepted, in the form the magic was written for.
            info = subprocess.run([tools.cli, "info", file], capture_output=True)
            out = info.stdout.decode("utf-8", errors="replace")
            check(info.returncode == 0 and "Form:     " + shown[form] in out,
                  "sonora-cli reads the %s form of %s: %s" % (form, file, out))

    # Files that are none of ours, some of them close to a real file.
    scrambled_file = written[PROJECT_TYPE]["scrambled"]
    if not os.path.isfile(scrambled_file):
        return types
    with open(scrambled_file, "rb") as f:
        scrambled = f.read(64)
    rng = random.Random(20261210)
    strangers = {
        "empty": b"",
        "text": b"Frequenz\tPegel\n20\t85.0\n",
        "cut marker": b"MyIni2C",
        "other ini": b"[Header]\r\nVersion=2000\r\n",
        "length bytes only": bytes([0, 30]) + b"## MyIniFile 1.0 by KT 2004 ##",
        "wrong length": bytes([0, 31]) + scrambled[2:40],
        "scrambled, one byte off": scrambled[:5] + bytes([scrambled[5] ^ 1]) + scrambled[6:40],
        "lower-case header": b"## myinifile 1.0\r\n",
        "PNG": b"\x89PNG\r\n\x1a\n" + bytes(rng.randrange(256) for _ in range(64)),
    }
    for i in range(200):
        strangers["noise %d" % i] = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64)))
    for name, data_bytes in strangers.items():
        for type_name, t in types.items():
            check(not magic_matches(t, data_bytes), "%s is no %s" % (name, type_name))

    check_with_mime_database(prefix, written, work)
    return types


def check_with_mime_database(prefix, written, work):
    """When the freedesktop tools are there: the description compiles, and GIO, which reads the
    compiled database, gives nameless copies of the three forms the project type."""
    updater = shutil.which("update-mime-database")
    gio = shutil.which("gio")
    if not updater:
        print("note: update-mime-database not found, database not compiled")
        return
    mime_home = os.path.join(work, "xdg")
    shutil.copytree(os.path.join(prefix, "share", "mime"), os.path.join(mime_home, "mime"))
    run = subprocess.run([updater, "-V", os.path.join(mime_home, "mime")], capture_output=True,
                         text=True)
    problems = [line for line in (run.stdout + run.stderr).splitlines()
                if "warning" in line.lower() or "error" in line.lower()]
    check(run.returncode == 0 and not problems,
          "update-mime-database accepts the description: " + run.stdout + run.stderr)
    if not gio:
        print("note: gio not found, content detection not cross-checked")
        return
    env = dict(os.environ, XDG_DATA_HOME=mime_home, XDG_DATA_DIRS="/usr/share")
    for type_name, files in written.items():
        for form, file in files.items():
            if not os.path.isfile(file):
                continue
            named = subprocess.run([gio, "info", "-a", "standard::content-type", file],
                                   capture_output=True, text=True, env=env)
            check(type_name in named.stdout,
                  "GIO names the %s form of %s: %s" % (form, file, named.stdout.strip()))
        # Without a name only the first bytes decide; both types share them, projects win.
        if type_name == PROJECT_TYPE:
            for form, file in files.items():
                nameless = os.path.join(work, "ohne-namen-" + form)
                shutil.copyfile(file, nameless)
                sniffed = subprocess.run([gio, "info", "-a", "standard::content-type", nameless],
                                         capture_output=True, text=True, env=env)
                check(PROJECT_TYPE in sniffed.stdout,
                      "GIO recognises the %s form by content: %s" % (form, sniffed.stdout.strip()))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--write-form", required=True)
    parser.add_argument("--examples", required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="sonora-install-") as tmp:
        prefix = os.path.join(tmp, "prefix")
        work = os.path.join(tmp, "work")
        os.makedirs(work)
        run = subprocess.run([args.cmake, "--install", args.build_dir, "--prefix", prefix],
                             capture_output=True, text=True)
        if not check(run.returncode == 0, "cmake --install: " + run.stdout + run.stderr):
            return 1
        tools = argparse.Namespace(cli=os.path.join(prefix, "bin", "sonora-cli"),
                                   write_form=args.write_form)
        check_files(prefix)
        check_examples(prefix, args.examples)
        check_icon(prefix)
        types = check_mime(prefix, tools, work)
        check_desktop(prefix, types)
    if failures:
        print("%d checks failed" % len(failures))
        return 1
    print("installed tree is complete")
    return 0


if __name__ == "__main__":
    sys.exit(main())
