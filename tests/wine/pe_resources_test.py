#!/usr/bin/python3
"""The built Windows programs, read as files with pefile: machine and subsystem, the manifest,
imports, version strings and the icon group. Needs no Wine.

Usage: pe_resources_test.py VERSION WINDOW_ICO NAME=PROGRAM...
"""
import struct
import sys

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
MACHINES = {"win32": 0x14C, "win64": 0x8664}
# What every Windows installation carries; the compiler's own runtime DLLs are not among them.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "uxtheme.dll", "msimg32.dll",
               "ntdll.dll", "shlwapi.dll", "version.dll", "winmm.dll", "imm32.dll", "ucrtbase.dll", "oleacc.dll"}
MANIFEST_LINES = ['<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>',
                  '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2']

failures = []


def expect(ok, message):
    """Notes a failed check with its message (what was expected, what came)."""
    if not ok:
        failures.append(message)
        print("FAILED: " + message, flush=True)


def ico_images(path):
    """The image bytes of each entry of an .ico file, by width."""
    data = open(path, "rb").read()
    count = struct.unpack_from("<H", data, 4)[0]
    images = {}
    for i in range(count):
        width, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images[width] = data[offset:offset + size]
    return images


def resources(pe, kind):
    """The (id, bytes) of every resource of one type, in the directory's order."""
    found = []
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for entry in directory.entries if directory else []:
        if entry.id != kind:
            continue
        for named in entry.directory.entries:
            for lang in named.directory.entries:
                found.append((named.id, pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)))
    return found


def check_program(name, path, version, window_icon):
    """Every check of one built program; the failures name it."""
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as error:
        expect(False, f"{name}: expected a readable PE file at {path}, got: {error}")
        return
    machine = MACHINES[name]
    expect(pe.FILE_HEADER.Machine == machine,
           f"{name}: expected machine {machine:#x}, the file says {pe.FILE_HEADER.Machine:#x}")
    expect((pe.OPTIONAL_HEADER.Magic == 0x20B) == (machine == 0x8664),
           f"{name}: optional header magic {pe.OPTIONAL_HEADER.Magic:#x} does not fit the machine")
    expect(pe.OPTIONAL_HEADER.Subsystem == 2,
           f"{name}: expected the Windows GUI subsystem (2), the file says {pe.OPTIONAL_HEADER.Subsystem}")
    # A link time in the header would make every build of one commit differ.
    expect(pe.FILE_HEADER.TimeDateStamp == 0, f"{name}: expected no link time stamp, got {pe.FILE_HEADER.TimeDateStamp}")

    # RT_MANIFEST 1: the process manifest, which Windows reads before the program runs.
    manifests = dict(resources(pe, RT_MANIFEST))
    text = manifests.get(1, b"").decode("utf-8", "replace")
    for want in [f'name="Tarvik" version="{version}.0"'] + MANIFEST_LINES:
        expect(want in text, f"{name}: expected the manifest (type 24, id 1) to hold {want}; it reads:\n{text}")

    dlls = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    expect("kernel32.dll" in [d.lower() for d in dlls], f"{name}: expected KERNEL32.dll among the imports {dlls}")
    for dll in dlls:
        expect(dll.lower() in SYSTEM_DLLS or dll.lower().startswith("api-ms-win-"),
               f"{name}: expected only Windows system DLLs, but the program imports {dll} (all: {dlls})")

    versions = resources(pe, RT_VERSION)
    expect(len(versions) == 1, f"{name}: expected one version resource, found {len(versions)}")
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    expect(fixed is not None and fixed.Signature == 0xFEEF04BD, f"{name}: expected a VS_FIXEDFILEINFO with signature 0xFEEF04BD")
    if fixed is not None:
        for what, ms, ls in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                             ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
            quad = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
            expect(quad == version + ".0", f"{name}: expected the numeric {what} version {version}.0, got {quad}")
    tables, translations = {}, []
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for table in getattr(info, "StringTable", []):
            tables[table.LangID.decode().lower()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        for var in getattr(info, "Var", []):
            translations += var.entry.values()
    strings = tables.get("040904b0")
    expect(strings is not None, f"{name}: expected a string table 040904B0 (US English, Unicode); tables: {list(tables)}")
    for key, want in (("ProductName", "Tarvik"), ("InternalName", "Tarvik"), ("OriginalFilename", "Tarvik.exe"),
                      ("FileVersion", version), ("ProductVersion", version)):
        got = (strings or {}).get(key)
        expect(got == want, f"{name}: expected {key} = {want!r}, got {got!r}")
    expect("0x0409 0x04b0" in translations, f"{name}: expected the translation 0x409/1200 in VarFileInfo, found {translations}")

    # The shell shows the first icon group: the window icon's 32 and 16 pixel images, byte for byte.
    groups = resources(pe, RT_GROUP_ICON)
    expect(len(groups) > 0, f"{name}: expected an icon group resource, found none")
    if not groups:
        return
    group = groups[0][1]
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(struct.unpack_from("<H", group, 4)[0])]
    sizes = sorted((e[0], e[1]) for e in entries)
    expect(sizes == [(16, 16), (32, 32)], f"{name}: expected icon images 16x16 and 32x32, got {sizes}")
    icons = dict(resources(pe, RT_ICON))
    for width, _, _, _, _, _, size, icon_id in entries:
        image = icons.get(icon_id)
        expect(image is not None, f"{name}: the group names RT_ICON {icon_id}, which the file does not hold")
        if image is None:
            continue
        expect(len(image) == size, f"{name}: icon {icon_id}: the group counts {size} bytes, the image has {len(image)}")
        header = struct.unpack_from("<IiiHH", image, 0) if len(image) >= 40 else None
        expect(header is not None and header[1:] == (width, 2 * width, 1, 24),
               f"{name}: icon {icon_id}: expected a {width} x {2 * width} (mask doubled) 24-bit header, got {header}")
        expect(window_icon.get(width) == image,
               f"{name}: expected the {width} pixel image of assets/window.ico "
               f"({len(window_icon.get(width, b''))} bytes), the program holds other data ({len(image)} bytes)")


def main():
    version, ico = sys.argv[1], sys.argv[2]
    window_icon = ico_images(ico)
    for argument in sys.argv[3:]:
        name, path = argument.split("=", 1)
        check_program(name, path, version, window_icon)
    print(f"{len(failures)} failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
