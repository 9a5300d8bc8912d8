"""The built program as a file in a folder people download into: it imports only libraries that
the system loads from its own folder whatever lies beside the program, keeps address-space
randomisation and no-execute data, is terminal-server aware, and loads no library planted
beside it."""

import os
import re
import struct
import subprocess
import time
from pathlib import Path

import pytest

import harness

# Known system libraries (always taken from the system folder), and the common controls library,
# which the program's manifest binds to the system's side-by-side assembly.
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll",
                   "advapi32.dll", "msvcrt.dll", "comctl32.dll"}

IMAGE_FILE_MACHINE_I386 = 0x14C
DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x0040, 0x0100, 0x8000


class Pe:
    """Just enough of a 32-bit PE file: header flags and the names of imported libraries."""

    def __init__(self, data: bytes) -> None:
        self.data = data
        assert data[:2] == b"MZ", "not an executable"
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
        self.machine, sections, _, _, _, optional_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        assert self.magic == 0x10B, "not a PE32 image"
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        directories = struct.unpack_from("<I", data, opt + 92)[0]
        self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i)
                            for i in range(directories)]
        table = opt + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]  # virtual size, address, raw size, raw offset
        self.has_relocations = len(self.directories) > 5 and self.directories[5][1] > 0

    def offset(self, rva: int) -> int:
        for vsize, address, raw_size, raw in self.sections:
            if address <= rva < address + max(vsize, raw_size):
                return raw + rva - address
        raise AssertionError(f"address {rva:#x} lies in no section")

    def string(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self, directory: int, entry_size: int, name_field: int) -> list[str]:
        if len(self.directories) <= directory or not self.directories[directory][0]:
            return []
        at, names = self.offset(self.directories[directory][0]), []
        while any(self.data[at:at + entry_size]):
            names.append(self.string(struct.unpack_from("<I", self.data, at + name_field)[0]))
            at += entry_size
        return names


@pytest.fixture(scope="module")
def exe() -> Pe:
    return Pe(Path(os.environ["LUMORA_EXE"]).read_bytes())


def test_imports_only_known_system_libraries_and_keeps_its_protections(exe):
    assert exe.machine == IMAGE_FILE_MACHINE_I386
    imported = [name.lower() for name in exe.imports(1, 20, 12)]
    delayed = [name.lower() for name in exe.imports(13, 32, 4)]
    assert "kernel32.dll" in imported, imported
    assert sorted(set(imported + delayed) - ALLOWED_IMPORTS) == [], imported + delayed
    flags = exe.dll_characteristics
    assert flags & DYNAMIC_BASE and exe.has_relocations, f"no ASLR ({flags:#06x})"
    assert flags & NX_COMPAT, f"no DEP ({flags:#06x})"
    assert flags & TERMINAL_SERVER_AWARE, f"not terminal-server aware ({flags:#06x})"
    header = subprocess.run(["i686-w64-mingw32-objdump", "-p", os.environ["LUMORA_EXE"]],
                            capture_output=True, text=True, check=True).stdout
    versions = re.findall(r"(?:Major|Minor)(?:OSystem|Subsystem)Version\s+(\d+)", header)
    assert versions == ["6", "0", "6", "0"], f"not marked for Windows 7 and later: {versions}"


# Libraries the program loads at run time, or imported in the past, or loaded on its behalf.
PLANTED = ["windowscodecs.dll", "wtsapi32.dll", "msimg32.dll", "comctl32.dll", "dxva2.dll"]


@pytest.fixture(scope="module")
def planted_library(tmp_path_factory) -> Path:
    out = tmp_path_factory.mktemp("planted") / "planted.dll"
    subprocess.run(["i686-w64-mingw32-gcc", "-shared", "-O1", "-Wall", "-Werror",
                    str(Path(__file__).with_name("planted.c")), "-o", str(out)], check=True)
    return out


def test_a_library_planted_beside_the_program_is_not_loaded(lumora, planted_library,
                                                            monkeypatch):
    # Wine prefers its own copy of a system library wherever a file of that name lies; Windows
    # takes the first file its search finds. Asked to prefer files, Wine searches as Windows
    # does, and an earlier build of the program loaded three of these from its folder.
    monkeypatch.setenv("WINEDLLOVERRIDES", ",".join(n[:-4] for n in PLANTED) + "=n,b")
    folder = lumora.folder
    for name in PLANTED:
        (folder / name).write_bytes(planted_library.read_bytes())
    # The planted copies work: loaded by their path, they leave their mark.
    subprocess.run(["wine", "rundll32", "Z:" + str(folder / "windowscodecs.dll").replace("/", "\\")
                    + ",Touch"], cwd=folder, check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert (folder / "windowscodecs.dll.loaded").exists()
    (folder / "windowscodecs.dll.loaded").unlink()

    lumora.write_config("[backlight]\nlevel=40\n")  # a stored level loads dxva2.dll at start
    lumora.start()
    main = lumora.wait_main_window()
    # By the icon, the pictures are decoded (the imaging library came and went) and the session
    # notifications asked for; the rest panel's boxes load the common controls at run time.
    harness.wait_until(lambda: harness.tray_icons(desktop=False), 10, interval=0.5,
                       what="the notification icon")
    harness.click(main, 498, 74)  # the rest settings pencil
    for name in ("comctl32", "dxva2"):
        harness.wait_until(lambda: name in Path(f"/proc/{harness.lumora_pids()[0]}/maps")
                           .read_text().lower(), 10, what=f"{name} to load")
    time.sleep(1)
    assert sorted(p.name for p in folder.glob("*.loaded")) == []
