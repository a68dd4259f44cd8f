#!/usr/bin/env python3
"""Builds the release package dist/ortk232-<version>.zip from the Windows builds.

The version is read from the version resource of the built DLLs. The package
is reproducible: every file in the zip carries the time of the commit
(SOURCE_DATE_EPOCH), entries are sorted, and the import libraries and the
reference page are made by tools whose output depends on their input only.
"""
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import textwrap
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARCHES = {
    # package folder: (build folder, llvm-dlltool machine, lld-link machine)
    "win32": ("build/win32", "i386", "x86"),
    "win64": ("build/win64", "i386:x86-64", "x64"),
}
PROGRAMS = ["ortk232.dll", "ortkcall.exe", "ortk-fit.exe"]


class PeImage:
    """The parts of a PE file the package needs: version and export names."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", self.data,
                                                          table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def exports(self):
        rva, _ = self.directories[0]
        at = self.offset(rva)
        count, names = struct.unpack_from("<24xI4xI", self.data, at)
        return [self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)]

    def version(self):
        """The file version of VS_FIXEDFILEINFO, as 1.0.0.1."""
        key = "VS_VERSION_INFO\0".encode("utf-16-le")
        at = self.data.find(key)
        if at < 0:
            raise ValueError("no version resource")
        at = (at + len(key) + 3) & ~3
        signature, _, ms, ls = struct.unpack_from("<IIII", self.data, at)
        if signature != 0xFEEF04BD:
            raise ValueError("damaged version resource")
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def run(*command):
    subprocess.run(command, check=True, cwd=ROOT)


def source_date_epoch():
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    out = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=ROOT, check=True,
                         capture_output=True, text=True).stdout
    return int(out)


def write_def(path, names):
    """A module definition file of the DLL's exports, as the DLL exports them."""
    with open(path, "w", newline="\n") as f:
        f.write("; Exports of ortk232.dll, all cdecl. Import libraries for other\n"
                "; toolchains can be made from this file.\n"
                "LIBRARY ortk232.dll\nEXPORTS\n")
        for name in names:
            f.write(f'    "{name}"\n' if re.search(r"[?@]", name) else f"    {name}\n")


# The package's reference page is these pages, in this order; QUICKSTART.txt
# takes its prose from them and from the README, so nothing is written twice.
REFERENCE_PAGES = ["docs/exports.md", "docs/ortk-fit.md"]


def read(name):
    with open(os.path.join(ROOT, name), encoding="utf-8") as f:
        return f.read()


def heading_id(title):
    """The identifier pandoc (gfm) and GitHub give a heading."""
    text = re.sub(r"[^\w\- ]", "", title.strip().lower())
    return text.replace(" ", "-")


def section(name, title):
    """The text under a heading of a page, up to the next heading of its level
    or above; lines inside code blocks are never headings."""
    body, level, fenced = None, 0, False
    for line in read(name).splitlines():
        if line.startswith("```"):
            fenced = not fenced
        heading = None if fenced else re.match(r"(#+) (.*)", line)
        if body is None:
            if heading and heading.group(2) == title:
                body, level = [], len(heading.group(1))
        elif heading and len(heading.group(1)) <= level:
            break
        else:
            body.append(line)
    if body is None:
        raise SystemExit(f"{name}: no section {title!r}")
    return "\n".join(body).strip() + "\n"


def local_links(markdown, included):
    """Links between the included pages become links within the one page; links
    to pages that are not in the package keep only their text."""
    def relink(match):
        text, page, fragment = match.group(1), match.group(2), match.group(3)
        page = os.path.basename(page)
        if page in included:
            return f"[{text}](#{fragment or included[page]})"
        return text
    return re.sub(r"\[([^\]]+)\]\(((?:\.\./)?[\w./-]+\.md)(?:#([\w-]+))?\)", relink,
                  markdown)


def reference_markdown():
    pages = {os.path.basename(name): read(name) for name in REFERENCE_PAGES}
    included = {}
    for page, text in pages.items():
        title = re.match(r"# (.*)", text)
        if not title:
            raise SystemExit(f"{page}: no title")
        included[page] = heading_id(title.group(1))
    return "\n".join(local_links(text, included) for text in pages.values())


def plain(markdown):
    """Markdown as the plain text of QUICKSTART.txt."""
    out = subprocess.run(["pandoc", "--from=gfm", "--to=plain", "--columns=78"],
                         input=local_links(markdown, {}), capture_output=True, text=True,
                         check=True, cwd=ROOT).stdout
    return out.strip()


def package_contents():
    """The table of the release page as a list with Windows paths."""
    rows = []
    for line in section("docs/release.md", "What `make dist` builds").splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) == 2 and cells[0].startswith("`"):
            rows.append((plain(cells[0]).replace("/", "\\"), plain(cells[1])))
    if not rows:
        raise SystemExit("docs/release.md: no table of the package's files")
    lines = []
    for path, what in rows:
        lines.append(f"  {path}")
        lines.extend(textwrap.wrap(what, 78, initial_indent=" " * 6, subsequent_indent=" " * 6,
                                   break_on_hyphens=False))
    return "\n".join(lines)


def readme_example():
    match = re.search(r"(?ms)^```c\n(.*?)^```", read("README.md"))
    if not match:
        raise SystemExit("README.md: no C example")
    return textwrap.indent(match.group(1).rstrip(), "  ")


def quickstart(version):
    readme = read("README.md")
    about = re.search(r"(?ms)^# ortk232\n\n(.*?)\n\n", readme).group(1)
    fields = {
        "@VERSION@": version,
        "@ABOUT@": plain(about),
        "@CONTENTS@": package_contents(),
        "@CHECK@": plain(section("docs/release.md", "Checking a download")),
        "@USE@": plain(section("docs/exports.md", "Using the DLL from C, C++ and MSVC")),
        "@EXAMPLE@": readme_example(),
    }
    text = read("release/QUICKSTART.txt")
    for key, value in fields.items():
        text = text.replace(key, value)
    return text


def write_reference(path, version):
    markdown = path + ".md"
    with open(markdown, "w", encoding="utf-8", newline="\n") as f:
        f.write(reference_markdown())
    run("pandoc", "--from=gfm", "--to=html5", "--standalone", "--toc", "--toc-depth=2",
        f"--metadata=title:ortk232 {version}: reference", "--metadata=lang:en", "--variable=maxwidth:56em",
        f"--output={path}", markdown)
    os.remove(markdown)
    with open(path, encoding="utf-8") as f:
        html = f.read()
    # The page must work offline: no script or style from elsewhere.
    html = re.sub(r"\s*<!--\[if lt IE 9\]>.*?<!\[endif\]-->", "", html, flags=re.S)
    if re.search(r"<(script|link)\b[^>]*(src|href)=\"(https?:)?//", html):
        raise SystemExit(f"{path}: refers to a resource on the network")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(html)


def stage(folder, version):
    shutil.rmtree(folder, ignore_errors=True)
    for arch, (build, dlltool_machine, lib_machine) in ARCHES.items():
        bin_dir = os.path.join(folder, "bin", arch)
        lib_dir = os.path.join(folder, "lib", arch)
        os.makedirs(bin_dir)
        os.makedirs(lib_dir)
        for program in PROGRAMS:
            source = os.path.join(ROOT, build, program)
            if not os.path.exists(source):
                raise SystemExit(f"missing {build}/{program}: build it first")
            shutil.copyfile(source, os.path.join(bin_dir, program))
        exports = PeImage(os.path.join(bin_dir, "ortk232.dll")).exports()
        definition = os.path.join(lib_dir, "ortk232.def")
        write_def(definition, exports)
        run("llvm-dlltool", "-m", dlltool_machine, "-D", "ortk232.dll", "-d", definition,
            "-l", os.path.join(lib_dir, "libortk232.dll.a"))
        run("lld-link", f"/machine:{lib_machine}", f"/def:{definition}",
            f"/out:{os.path.join(lib_dir, 'ortk232.lib')}")
    os.makedirs(os.path.join(folder, "include"))
    shutil.copyfile(os.path.join(ROOT, "include", "ortk232.h"),
                    os.path.join(folder, "include", "ortk232.h"))
    shutil.copytree(os.path.join(ROOT, "examples"), os.path.join(folder, "examples"))
    os.makedirs(os.path.join(folder, "doc"))
    write_reference(os.path.join(folder, "doc", "ortk232-reference.html"), version)
    # The pictures the pages show, beside the page.
    for picture in re.findall(r"!\[[^\]]*\]\(([\w.-]+)\)", reference_markdown()):
        shutil.copyfile(os.path.join(ROOT, "docs", picture),
                        os.path.join(folder, "doc", picture))
    with open(os.path.join(folder, "QUICKSTART.txt"), "w", encoding="utf-8",
              newline="\r\n") as f:
        f.write(quickstart(version))
    files = package_files(folder)
    with open(os.path.join(folder, "SHA256SUMS"), "w", newline="\n") as f:
        for name in files:
            f.write(f"{sha256(os.path.join(folder, name))}  {name}\n")


def package_files(folder):
    names = []
    for parent, dirs, files in os.walk(folder):
        for name in files:
            names.append(os.path.relpath(os.path.join(parent, name), folder).replace(os.sep, "/"))
    return sorted(names)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def write_zip(path, folder, epoch):
    # Zip times are local calendar fields from 1980 on; take the commit's in UTC.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name in package_files(folder):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o644 << 16
            with open(os.path.join(folder, name), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


def main():
    os.chdir(ROOT)
    versions = {arch: PeImage(os.path.join(build, "ortk232.dll")).version()
                for arch, (build, _, _) in ARCHES.items()}
    if len(set(versions.values())) != 1:
        raise SystemExit(f"the two DLLs carry different versions: {versions}")
    version = versions["win32"]
    name = f"ortk232-{version}"
    folder = os.path.join("build", "dist", name)
    stage(folder, version)
    shutil.rmtree("dist", ignore_errors=True)
    os.makedirs("dist")
    zip_path = os.path.join("dist", name + ".zip")
    write_zip(zip_path, folder, source_date_epoch())
    with open(zip_path + ".sha256", "w", newline="\n") as f:
        f.write(f"{sha256(zip_path)}  {name}.zip\n")
    print(f"{zip_path}: {os.path.getsize(zip_path)} bytes, sha256 {sha256(zip_path)}")


if __name__ == "__main__":
    main()
