#!/usr/bin/env python3
"""Lays out a demo installation of one board family's software in a Wine
prefix and writes the registry file with its FileCheck lists.

    python3 tools/demo_installation.py --family {Kiron|Orsa|Vela|Mirel}
        --bin BIN_DIR --install INSTALL_DIR --prefix WINEPREFIX --out REG_FILE

1. Copies the sample board files that the build leaves in BIN_DIR/demo_files
   to the directories their location codes name:

       <family>cap.sys   2  <Windows>\\SYSTEM32\\DRIVERS
       <family>cap.dll   1  <Windows>\\SYSTEM32
       <family>ui.dll    5  the product's "Main path" (INSTALL_DIR)
       tvfilter.ax       7  <Program Files>\\Tavolink\\Shared Files\\Filter
       tvshared.dll      8  <Program Files>\\Tavolink\\Shared Files\\Bin

   (<family> in lower case, e.g. "mirelcap.sys"). The Windows and Program
   Files directories are the prefix's own, under WINEPREFIX/drive_c.

2. Writes REG_FILE (REGEDIT4, CR LF), for "wine regedit /s", with
   - the product key's "Main path" = INSTALL_DIR as Wine sees it,
   - the family's FileCheck list ...\\FileCheck\\<list>\\Drivers naming the
     files above with the versions read from the copied files,
   - the DirectDraw lists ...\\FileCheck\\DirectDraw\\W98, \\Win2K and \\WinXP
     naming the DirectDraw files of the prefix's SYSTEM32 (ddraw.dll, and
     ddrawex.dll when it is there) with the versions they really have.
   Each list key is deleted first, so that entries of an earlier run go.

Every version is read from the file's VS_FIXEDFILEINFO by the small PE
reader below (resource directory -> RT_VERSION -> VS_VERSIONINFO).
"""
import argparse
import ntpath
import os
import re
import shutil
import struct
import sys

FILECHECK_ROOT = "Software\\Tavolink Systems\\Quorvex\\FileCheck"
DIRECTDRAW_LISTS = ("W98", "Win2K", "WinXP")
DIRECTDRAW_FILES = ("ddraw.dll", "ddrawex.dll")   # ddraw.dll is required

# family option -> (file prefix, product key name, FileCheck list name)
FAMILIES = {
    "kiron": ("kiron", "Kiron", "Kiron"),
    "orsa": ("orsa", "ORSA", "ORSA"),
    "vela": ("vela", "Vela", "Vela"),
    "mirel": ("mirel", "MirelMJPG", "MirelMJPG"),
}

LOCATION_SYSTEM32 = 1
LOCATION_DRIVERS = 2
LOCATION_MAIN_PATH = 5
LOCATION_FILTER = 7
LOCATION_BIN = 8


class DemoError(Exception):
    pass


# ---------------------------------------------------------------------------
# PE version reader

RT_VERSION = 16
VS_FFI_SIGNATURE = 0xFEEF04BD


def _u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def _u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def _rva_to_offset(sections, rva):
    for virtual_address, virtual_size, raw_offset, raw_size in sections:
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            if rva - virtual_address >= raw_size:
                return None   # in the zero-filled tail, not in the file
            return raw_offset + rva - virtual_address
    return None


def _directory_entries(data, offset):
    """(id or None for a named entry, is_directory, target offset) of one resource directory."""
    named = _u16(data, offset + 12)
    ids = _u16(data, offset + 14)
    entries = []
    for index in range(named + ids):
        name, target = struct.unpack_from("<II", data, offset + 16 + 8 * index)
        entry_id = None if name & 0x80000000 else name & 0xFFFF
        entries.append((entry_id, bool(target & 0x80000000), target & 0x7FFFFFFF))
    return entries


def version_resource(path):
    """The raw RT_VERSION resource of a PE file, or None when it has none."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 64 or data[:2] != b"MZ":
        raise DemoError("%s: not a PE file" % path)
    pe = _u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise DemoError("%s: not a PE file" % path)
    section_count = _u16(data, pe + 6)
    optional_size = _u16(data, pe + 20)
    optional = pe + 24
    magic = _u16(data, optional)
    if magic == 0x10B:
        directories = optional + 96
    elif magic == 0x20B:
        directories = optional + 112
    else:
        raise DemoError("%s: unknown optional header 0x%x" % (path, magic))
    directory_count = _u32(data, directories - 4)
    if directory_count <= 2:
        return None
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if resource_rva == 0 or resource_size == 0:
        return None
    sections = []
    table = optional + optional_size
    for index in range(section_count):
        entry = table + 40 * index
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<IIII", data, entry + 8)
        sections.append((virtual_address, virtual_size, raw_offset, raw_size))
    root = _rva_to_offset(sections, resource_rva)
    if root is None:
        return None

    # type -> name -> language: the version type, name 1 if there is one
    # (else the first name), then the first language.
    types = [entry for entry in _directory_entries(data, root) if entry[0] == RT_VERSION and entry[1]]
    if not types:
        return None
    names = [entry for entry in _directory_entries(data, root + types[0][2]) if entry[1]]
    if not names:
        return None
    names.sort(key=lambda entry: entry[0] != 1)
    languages = _directory_entries(data, root + names[0][2])
    if not languages or languages[0][1]:
        return None
    data_rva, data_size = struct.unpack_from("<II", data, root + languages[0][2])
    start = _rva_to_offset(sections, data_rva)
    if start is None or start + data_size > len(data):
        return None
    return data[start:start + data_size]


def fixed_file_version(path):
    """(dwFileVersionMS, dwFileVersionLS) of a PE file's VS_FIXEDFILEINFO, or None."""
    block = version_resource(path)
    if block is None or len(block) < 6:
        return None
    length, value_length, value_type = struct.unpack_from("<HHH", block, 0)
    # Key: zero-terminated UTF-16 "VS_VERSION_INFO", then padding to 4 bytes.
    offset = 6
    while offset + 1 < len(block) and block[offset:offset + 2] != b"\0\0":
        offset += 2
    key = block[6:offset].decode("utf-16-le", "replace")
    offset = (offset + 2 + 3) & ~3
    if key != "VS_VERSION_INFO" or value_length < 52 or offset + 52 > min(length, len(block)):
        return None
    signature, _, version_ms, version_ls = struct.unpack_from("<IIII", block, offset)
    if signature != VS_FFI_SIGNATURE:
        return None
    return version_ms, version_ls


def version_text(version):
    ms, ls = version
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


# ---------------------------------------------------------------------------
# Prefix layout

def find_component(parent, name):
    """The entry of parent whose name matches name without regard to case (as Wine looks it up)."""
    exact = os.path.join(parent, name)
    if os.path.exists(exact):
        return exact
    if os.path.isdir(parent):
        for entry in sorted(os.listdir(parent)):
            if entry.lower() == name.lower():
                return os.path.join(parent, entry)
    return exact


def unix_path(prefix, windows_path, create=False):
    """Where a C:\\ path of the prefix lives on this machine."""
    drive, rest = ntpath.splitdrive(windows_path)
    if drive.upper() != "C:":
        raise DemoError("%s is not on drive C: of the prefix" % windows_path)
    path = os.path.join(prefix, "drive_c")
    for component in [part for part in rest.split("\\") if part]:
        path = find_component(path, component)
        if create and not os.path.isdir(path):
            os.makedirs(path)
    return path


def wine_path(prefix, path):
    """How a program in the prefix names a path of this machine: C:\\ inside drive_c, else Z:\\."""
    path = os.path.abspath(path)
    drive_c = os.path.abspath(os.path.join(prefix, "drive_c"))
    if path == drive_c or path.startswith(drive_c + os.sep):
        rest = os.path.relpath(path, drive_c)
        return "C:\\" + ("" if rest == "." else rest.replace("/", "\\"))
    return "Z:" + path.replace("/", "\\")


def _registry_value(prefix, key, name, default):
    """A REG_SZ value of HKLM from the prefix's system.reg, or default."""
    try:
        with open(os.path.join(prefix, "system.reg"), encoding="utf-8", errors="replace") as f:
            text = f.read()
    except OSError:
        return default
    header = "[" + key.replace("\\", "\\\\") + "]"
    start = text.lower().find(header.lower())
    if start < 0:
        return default
    end = text.find("\n[", start + len(header))
    section = text[start:end if end >= 0 else len(text)]
    match = re.search(r'^"%s"="((?:[^"\\]|\\.)*)"' % re.escape(name), section, re.MULTILINE)
    if not match:
        return default
    return re.sub(r"\\(.)", r"\1", match.group(1))


def install_directories(prefix, install_dir):
    """Location code -> (Windows path, Unix path) of the directories the demo files go to."""
    windows = _registry_value(prefix, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                              "C:\\windows")
    program_files = _registry_value(prefix, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                                    "C:\\Program Files")
    shared = program_files + "\\Tavolink\\Shared Files"
    directories = {
        LOCATION_SYSTEM32: windows + "\\SYSTEM32",
        LOCATION_DRIVERS: windows + "\\SYSTEM32\\DRIVERS",
        LOCATION_FILTER: shared + "\\Filter",
        LOCATION_BIN: shared + "\\Bin",
    }
    result = {code: (path, unix_path(prefix, path, create=True)) for code, path in directories.items()}
    os.makedirs(install_dir, exist_ok=True)
    result[LOCATION_MAIN_PATH] = (wine_path(prefix, install_dir), os.path.abspath(install_dir))
    return result


# ---------------------------------------------------------------------------
# Registry file

def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def file_entry_lines(list_key, name, version, location):
    ms, ls = version
    return [
        "[HKEY_LOCAL_MACHINE\\%s\\%s]" % (list_key, name),
        '"MajorVersion"=dword:%08x' % ms,
        '"MinorVersion"=dword:%08x' % ls,
        '"Location"=hex:%02x' % location,
        '"UpdateAllowed"=hex:01',
        "",
    ]


def build(args):
    family = args.family.lower()
    if family not in FAMILIES:
        raise DemoError("unknown family %s (Kiron, Orsa, Vela or Mirel)" % args.family)
    file_prefix, product_name, list_name = FAMILIES[family]
    prefix = os.path.abspath(args.prefix)
    if not os.path.isdir(os.path.join(prefix, "drive_c")):
        raise DemoError("%s is not a Wine prefix (no drive_c)" % prefix)
    source_dir = os.path.join(args.bin, "demo_files")

    directories = install_directories(prefix, args.install)

    # The DirectDraw files first, so that a prefix without ddraw.dll fails
    # before anything is copied.
    system32 = directories[LOCATION_SYSTEM32][1]
    directdraw_list = []
    for name in DIRECTDRAW_FILES:
        path = find_component(system32, name)
        version = fixed_file_version(path) if os.path.isfile(path) else None
        if version is None:
            if name == "ddraw.dll":
                raise DemoError("%s: no versioned ddraw.dll in the prefix" % path)
            print("demo: %s not listed (not in SYSTEM32 or without version)" % name)
            continue
        directdraw_list.append((name, version, LOCATION_SYSTEM32))
        print("demo: %-14s %-12s location %d  (DirectDraw lists)" % (name, version_text(version),
                                                                     LOCATION_SYSTEM32))

    board_files = [
        (file_prefix + "cap.sys", LOCATION_DRIVERS),
        (file_prefix + "cap.dll", LOCATION_SYSTEM32),
        (file_prefix + "ui.dll", LOCATION_MAIN_PATH),
        ("tvfilter.ax", LOCATION_FILTER),
        ("tvshared.dll", LOCATION_BIN),
    ]
    product_list = []
    for name, location in board_files:
        source = os.path.join(source_dir, name)
        if not os.path.isfile(source):
            raise DemoError("%s is missing (build the target demo_files)" % source)
        target = os.path.join(directories[location][1], name)
        shutil.copyfile(source, target)
        version = fixed_file_version(target)
        if version is None:
            raise DemoError("%s has no fixed version info" % source)
        product_list.append((name, version, location))
        print("demo: %-14s %-12s location %d  %s" % (name, version_text(version), location,
                                                   directories[location][0] + "\\" + name))

    lines = ["REGEDIT4", ""]
    lines += ["[HKEY_LOCAL_MACHINE\\Software\\Tavolink Systems\\%s]" % product_name,
              '"Main path"=%s' % reg_string(directories[LOCATION_MAIN_PATH][0]), ""]
    product_key = "%s\\%s\\Drivers" % (FILECHECK_ROOT, list_name)
    lines += ["[-HKEY_LOCAL_MACHINE\\%s]" % product_key, ""]
    for name, version, location in product_list:
        lines += file_entry_lines(product_key, name, version, location)
    for platform in DIRECTDRAW_LISTS:
        list_key = "%s\\DirectDraw\\%s" % (FILECHECK_ROOT, platform)
        lines += ["[-HKEY_LOCAL_MACHINE\\%s]" % list_key, ""]
        for name, version, location in directdraw_list:
            lines += file_entry_lines(list_key, name, version, location)
    with open(args.out, "w", encoding="ascii", newline="\r\n") as reg:
        reg.write("\n".join(lines) + "\n")
    print("demo: registry file %s" % args.out)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Demo installation of one board family in a Wine prefix.")
    parser.add_argument("--family", required=True, help="Kiron, Orsa, Vela or Mirel")
    parser.add_argument("--bin", required=True, help="the build's bin folder (with demo_files/)")
    parser.add_argument("--install", required=True, help="the product's installation folder (Main path)")
    parser.add_argument("--prefix", required=True, help="the Wine prefix")
    parser.add_argument("--out", required=True, help="registry file to write")
    args = parser.parse_args(argv)
    try:
        build(args)
    except (DemoError, OSError) as error:
        print("demo_installation: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
