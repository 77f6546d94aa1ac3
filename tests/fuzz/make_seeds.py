#!/usr/bin/env python3
"""Writes the starting seeds of the fuzz targets into corpus/<target>/ (16-bit little-endian units).

Inputs that once made a target fail are kept in the same folders by hand, under names starting with
"regression-"; this script leaves them alone.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def units(*parts):
    out = b""
    for p in parts:
        if isinstance(p, int):
            out += struct.pack("<H", p)
        else:
            out += p.encode("utf-16-le")
    return out


def section(*lines):
    return "".join(line + "\0" for line in lines) + "\0"


def version_block(key, value=b"", text=False, children=()):
    """A block of a version resource: length, value length, type, key, value, blocks below it, each part
    aligned to 4 bytes."""
    body = (key + "\0").encode("utf-16-le")
    head = 6 + len(body)
    block = body + b"\0" * (-head % 4) + value
    block += b"\0" * (-(6 + len(block)) % 4)
    for child in children:
        block += child + b"\0" * (-len(child) % 4)
    value_length = len(value) // 2 if text else len(value)
    return struct.pack("<HHH", 6 + len(block), value_length, 1 if text else 0) + block


def version_resource(tables, translations):
    strings = [
        version_block(table, children=[version_block(k, (v + "\0").encode("utf-16-le"), True) for k, v in entries])
        for table, entries in tables
    ]
    translation = b"".join(struct.pack("<HH", lang, cp) for lang, cp in translations)
    return version_block("VS_VERSION_INFO", b"\xbd\x04\xef\xfe" + b"\0" * 48, children=[
        version_block("StringFileInfo", text=True, children=strings),
        version_block("VarFileInfo", text=True, children=[version_block("Translation", translation)]),
    ])


SEEDS = {
    "composite_fuzz": {
        # flags, key length or piece index, key, section
        "app-entry": units(1, 3, "txt", section("comment", "TXT,DOC=upper", "doc,txt,rtf=ed", "txt=second")),
        "params-entry": units(0, 3, "txt", section("a=b_params=c", "doc,txt_params=/a,/b %1")),
        "empty-items": units(2, 4, section(",log_params=-q", "c,,d=mid", "log,=x", "e=", "=novalue")),
        "marker-after-list": units(2, 1, section("txt_paramsX=-q", "x_params=", "txt, doc=spaced")),
        "unterminated": units(3, 0, "txt=unterminated"),
        "registry-command": units(1, 0, '"C:\\Program Files\\App\\app.exe" "%1"'),
        "caret-and-path": units(1, 0, "C:\\Tools\\a.b\\notepad.EXE ^x^"),
        "trailing-backslashes": units(1, 0, "C:\\dir with space\\\\"),
    },
    "compose_fuzz": {
        # modes, limit, salt, padding; apps; templates; names (U+0001 first: a directory)
        "per-app": units(1, 511, 0, 0, "P\0Q\0R\0", "-r %1\0-t\0\0",
                         "b.TXT\0a.txt\0c.log\0\x01sub\0n\0d.\0a.txt\0"),
        "per-app-mode0": units(0, 200, 7, 0, "C:\\ed.exe\0C:\\ed.exe\0D:\\v.exe\0", "%1 %1\0\"%1\"\0x\0",
                               "a b.txt\0C:\\dir\\\0\x01C:\\d.x\\\0z.Z\0y.z\0"),
        "per-extension": units(5, 60, 3, 0, "app\0app\0other\0", "-x %1 -y\0\0-q",
                               "a.t\0b.t\0c.t\0d.t\0e.t\0" + "L" * 40 + ".t\0f.u\0g.u\0"),
        "per-file": units(9, 90, 11, 0, "A\0B\0C\0", "%1\0-w\0\0", "z.a\0y.b\0x.c\0w.a\0z.a\0\x01q\0"),
        "long-names": units(0x11, 0, 1, 1000, "C:\\Tools\\app.exe\0X\0Y\0", "-n %1\0\0-v\0",
                            "a.txt\0b.txt\0c.txt\0d.log\0"),
        "no-command": units(2, 100, 0, 0, "A\0B\0C\0", "\0\0\0", "a.txt\0b.log\0"),
    },
    "host_text_fuzz": {
        # flags, mode unit (mode + 1), separator field unless host separator, text
        "tabs": units(0, 2, "\t\0", "a\t\tb\t"),
        "mode0-space": units(1, 1, "my file.txt 12"),
        "mode3-crlf": units(7, 4, "a.txt\r\n12\r\n"),
        "mode4-no-tab": units(5, 5, "a.txt\rx"),
        "mode5-tabs": units(7, 6, "x\ta.txt\ty\r\n12"),
        "overlapping-separator": units(8, 0, "aa\0", "aaaaa"),
        "empty-text": units(0, 7, ",\0"),
        "modifiers": units(0, 3, "\0", "SCA sca"),
    },
    "bounded_copy_fuzz": {
        "fits": units(10, "short"),
        "exact": units(6, "sixsix"),
        "cut": units(4, "longer than four"),
        "zero-capacity": units(0, "x"),
        "inner-nul": units(8, "ab\0cd"),
        "path": units(260, "C:\\" + "p" * 270),
    },
    "version_info_fuzz": {
        "us-english": version_resource([("040904B0", [("CompanyName", "Co"), ("FileDescription", " Editor ")])],
                                       [(0x0409, 1200)]),
        "listed-translation": version_resource(
            [("040904b0", [("FileDescription", "English")]), ("040704B0", [("FileDescription", "Deutsch")])],
            [(0x0407, 1200)]),
        "no-description": version_resource([("040904B0", [("ProductName", "P")])], []),
        "truncated": version_resource([("040904B0", [("FileDescription", "Cut")])], [(0x0409, 1200)])[:70],
    },
    "ini_check_fuzz": {
        # the file's bytes: the encodings the checker tells apart, and the mistakes it reports
        "mistakes-ascii": (
            b"[Options]\r\nListerStat=2\r\nQuickView=yes\r\nListerState=1 ; x\r\nquickview=1\r\n"
            b"[HotKeys]\r\nAppFromLister_key=Ctrl+F4\r\nAppFromLister_mod=sc\r\n"
            b"[Editor]\r\ntxt, LOG,,md=ed\r\n.pdf=x\r\npdf_params=/o \"%1\"\r\n[Option]\r\n[options]\r\n"
        ),
        "utf8-nonascii": "[Editor]\npdf=C:\\B\u00fcro\\pdf.exe\n".encode("utf-8"),
        "utf8-bom": b"\xef\xbb\xbf" + "[Options]\nDefaultEditor=\u00e9d\n".encode("utf-8"),
        "utf16-bom": b"\xff\xfe" + "[Editor]\r\ntxt=C:\\B\u00fcro\\ed.exe\r\n".encode("utf-16-le"),
        "utf16-no-bom": "[Options]\r\nQuickView=1\r\n".encode("utf-16-le"),
        "ansi": b"[Editor]\r\ntxt=C:\\B\xfcro\\ed.exe\r\n",
        "truncated-utf8": b"[Editor]\ntxt=\xe2\x82",
        "types": (
            b"[Types]\r\nMakefile;*.mk=make\r\n*.log=biglog size>50M\r\n*.log=log\r\n*.log=x size>5MB\r\n"
            b"a|b|c=t\r\n=t\r\n*.x=m.k\r\n*.y=log_params\r\nnoequals\r\n"
        ),
    },
    "types_fuzz": {
        # flags (folder, content, size), the name, then the section's lines
        "the-examples": units(0x0A0 | 8, "C:\\Docs\\server.log.1\0",
                              "Makefile;GNUmakefile;*.mk=make\nDockerfile;Dockerfile.*=docker\n"
                              "*.tar.gz;*.tgz=tgz\n*.log.?;*.log|debug*=log\n*.log=biglog size>50M\n"
                              "*\\Projects\\*.txt=projtxt\n*.=plain text\n*.git\\=repo"),
        "folder": units(1, "C:\\src\\.git\\\0", "*.git\\=repo\n*=all\n*\\=folders size<1"),
        "no-extension": units(2, "C:\\d.x\\LICENSE.\0", "*.=plain text\n*.=raw binary\n*.=other"),
        "faults": units(0, "x\0", "a|b|c=t\n=t\n*.x=ma.ke\n*.x=t size>50MB\n*.x=t big\n; comment\n*=ok"),
        "cases": units(0, "C:\\B\u00dcRO\\\u0414\u041e\u041a.TXT\0", "*\\b\u00fcro\\\u0434\u043e\u043a.*=t"),
        "stars": units(0, "a" * 60 + "b\0", "*a*a*a*a*a*a*a*c=t\n?*?*?*b=u"),
    },
    "text_format_fuzz": {
        # inserts; pieces: 3k literal, 3k+1 %(k%9+1), 3k+2 %%
        "reordered": units(2, "C:\\a b.exe\0", "\"%1\" -x\0", 0, "Start \0", 4, 0, " with \0", 1, 2),
        "missing-insert": units(1, "x\0", 25, 0, "100% \0", 1, 5),
        "block": units(3, "ab", 0, 5, "Hello"),
        "cut-block": units(40, "short"),
    },
}


def main():
    for target, seeds in SEEDS.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
