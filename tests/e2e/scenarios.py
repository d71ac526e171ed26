"""The end-to-end scenarios: one row per run of the launcher.

Each scenario states the folder tree, the Pomvarin.ini in it, the PCI devices
present, the arguments, and what must come out: every trace line in order,
every setup started (its path, parameters and whether it is shown), and
whether the warning box appears. The same row drives Pomvarin.exe under Wine
and the Linux program; "{cwd}" in an expected text stands for the current
directory as that platform writes it (D:\\name under Wine, the real folder on
Linux). Every run must also exit with status 0 and write no file.

Devices: Wine always lists one adapter of its own, whose first hardware ID is
PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00; the Linux runs get the same
device in their fake sysfs, so both platforms list it in every scenario.
"""

from dataclasses import dataclass, field
from typing import Optional


# ---- Devices ---------------------------------------------------------------

@dataclass(frozen=True)
class Device:
    """A present PCI device. With numbers, both platforms list it: its
    hardware IDs are the four that Windows writes for such a device.
    Without numbers and without registry_ids its hardware IDs cannot be read
    (no HardwareID value; no number files in sysfs). registry_ids is a raw
    list that only a registry can hold (Windows-only scenarios)."""
    vendor: Optional[int] = None
    device: int = 0
    subsystem_vendor: int = 0
    subsystem_device: int = 0
    revision: int = 0
    class_code: int = 0
    registry_ids: tuple = ()

    def hardware_ids(self):
        if self.registry_ids:
            return list(self.registry_ids)
        if self.vendor is None:
            return []
        ven_dev = "PCI\\VEN_%04X&DEV_%04X" % (self.vendor, self.device)
        subsys = "&SUBSYS_%04X%04X" % (self.subsystem_device,
                                       self.subsystem_vendor)
        return [
            "%s%s&REV_%02X" % (ven_dev, subsys, self.revision),
            ven_dev + subsys,
            "%s&CC_%06X" % (ven_dev, self.class_code),
            "%s&CC_%04X" % (ven_dev, self.class_code >> 8),
        ]


INTEL_NIC = Device(0x8086, 0x100E, 0x8086, 0x001E, 0x02, 0x020000)
REALTEK_AUDIO = Device(0x10EC, 0x0887, 0x1043, 0x8445, 0x01, 0x040300)
VIRTIO_BLOCK = Device(0x1AF4, 0x1042, 0x1AF4, 0x1100, 0x01, 0x010000)
INTEL_USB = Device(0x8086, 0xA12F, 0x8086, 0x7270, 0x31, 0x0C0330)
NO_HARDWARE_IDS = Device()
WINE_ADAPTER = Device(0x0000, 0x0000, 0x0000, 0x0000, 0x00, 0x030000)


# ---- Folder trees ----------------------------------------------------------

@dataclass(frozen=True)
class Entry:
    kind: str


SETUP = Entry("setup probe")  # a program that records how it was started
FILE = Entry("plain file")    # a file that is no program
# With the hidden attribute (Windows only; Linux knows hidden names only by
# their leading dot).
HIDDEN_SETUP = Entry("setup probe, hidden")
HIDDEN_FOLDER = Entry("folder, hidden")
# A tree maps relative paths to one of these, to a Link, or to the text of
# a file (a Pomvarin.ini).


@dataclass(frozen=True)
class Link:
    """A symbolic link to target (relative to the link's folder)."""
    target: str


def ini(count, *vendors, line_end="\n"):
    """A Pomvarin.ini: [PomvarinInfo] with VendorCount, then one
    [VendorInfoN] section per dict of keys and values, in order."""
    lines = ["[PomvarinInfo]", "VendorCount=%s" % count]
    for number, keys in enumerate(vendors, start=1):
        lines.append("[VendorInfo%d]" % number)
        lines += ["%s=%s" % (key, value) for key, value in keys.items()]
    return line_end.join(lines) + line_end


def vendor(ven_id, root="\\Drivers", normal="setup.exe /q",
           silent="setup.exe /s /norestart", name="Vendor"):
    return {"VenName": name, "VenID": ven_id, "SetupFileRootDir": root,
            "SetupFileName": normal, "SilentInstall": silent}


# ---- Scenarios -------------------------------------------------------------

SHOWN, HIDDEN = "shown", "hidden"
BOX = "No Matched Device Driver!"


@dataclass(frozen=True)
class Launch:
    """A setup started: its path as traced, the parameters text handed over
    (leading blank included) and how it was shown."""
    path: str
    parameters: str
    show: str


@dataclass
class Scenario:
    name: str
    about: str
    tree: dict                 # relative path ("/"-separated) -> entry
    devices: list
    trace: list
    args: list = field(default_factory=list)
    launches: list = field(default_factory=list)
    box: bool = False
    cwd: str = ""              # relative to the scenario's folder
    program_folder: Optional[str] = None  # where Pomvarin sits; cwd if None
    drive_root: bool = False   # under Wine the scenario folder is a drive root
    # Why the scenario runs on one platform only (None: on both).
    windows_only: Optional[str] = None


def lone_vendor_tree(ven_id="VEN_8086", **vendor_keys):
    return {"Pomvarin.ini": ini(1, vendor(ven_id, **vendor_keys)),
            "Drivers/Intel/Setup.exe": SETUP}


def long_current_directory(windows_length):
    """Folders below the scenario folder that make the Windows current
    directory D:\\current-directory-past-the-limit\\... windows_length
    characters long; the Linux path of the same folders is longer still."""
    left = windows_length - len("D:\\current-directory-past-the-limit\\")
    parts = []
    while left > 0:
        size = min(100, left)
        if left - size == 1:  # never leave a lone separator
            size -= 1
        parts.append(chr(ord("a") + len(parts)) * size)
        left -= size + 1
    return "/".join(parts)


LONG_VALUE_PARAMETERS = "p" * 290
LONG_ROOT = "\\" + "r" * 258          # a SetupFileRootDir of 259 characters
HUGE_ARGUMENTS = ["a" * 7000, "b" * 7000, "c" * 7000, "d" * 7000, "/s"]
LONG_CWD = long_current_directory(250)

SCENARIOS = [
    # -- The typical runs ----------------------------------------------------
    Scenario(
        "silent-run",
        "/s: the SilentInstall parameters, hidden, traced with Slience Install",
        tree=lone_vendor_tree(silent="Setup.exe -s -norestart"),
        devices=[REALTEK_AUDIO, INTEL_NIC],
        args=["/s"],
        trace=["/s", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "Slience Install",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe",
                         " -s -norestart", HIDDEN)]),
    Scenario(
        "normal-run",
        "no arguments: the SetupFileName parameters, shown; on-disk case kept",
        tree=lone_vendor_tree(normal="SETUP.EXE /q /norestart"),
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe",
                         " /q /norestart", SHOWN)]),
    Scenario(
        "switch-inside-an-argument",
        "/Silent after another argument counts as the silent switch",
        tree=lone_vendor_tree(silent="setup.exe"),
        devices=[INTEL_NIC],
        args=["-x", "/Silent"],
        trace=["-x /Silent", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "Slience Install",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe", "", HIDDEN)]),
    Scenario(
        "dash-s-is-no-switch",
        "-s is not the silent switch: a normal run",
        tree=lone_vendor_tree(),
        devices=[INTEL_NIC],
        args=["-s"],
        trace=["-s", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe", " /q", SHOWN)]),

    # -- Configuration -------------------------------------------------------
    Scenario(
        "ini-beside-the-program-is-ignored",
        "no Pomvarin.ini in the current directory; the one beside the program "
        "would match but is never read",
        tree={"Program/Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Program/Drivers/setup.exe": SETUP,
              "Disc/Drivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        args=["/s"],
        cwd="Disc", program_folder="Program",
        trace=["/s"], box=True),
    *[Scenario(
        "vendor-count-" + label,
        "VendorCount=%s converts to 0 or below: no device question, the box"
        % count,
        tree={"Pomvarin.ini": ini(count, vendor("VEN_8086")),
              "Drivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        args=["/s"],
        trace=["/s"], box=True)
      for label, count in [("zero", "0"), ("negative", "-2"),
                           ("letters", "abc"), ("hex", "0x3")]],
    *[Scenario(
        "vendor-count-" + label,
        "VendorCount=%s is 3: three entries handled, the second matches"
        % count,
        tree={"Pomvarin.ini": ini(count, vendor("VEN_1111"),
                                  vendor("VEN_8086", root="\\Intel"),
                                  vendor("VEN_2222")),
              "Intel/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_1111", "Ven_1111", "VEN_8086", "Ven_8086",
               "{cwd}\\Intel\\setup.exe", "{cwd}\\Intel",
               "VEN_2222", "Ven_2222"],
        launches=[Launch("{cwd}\\Intel\\setup.exe", " /q", SHOWN)])
      for label, count in [("trailing-text", "3xyz"), ("plus-sign", "+3")]],
    Scenario(
        "vendor-count-past-the-sections",
        "VendorCount=3 with one section: the missing two read Unknow; a device "
        "whose IDs cannot be read is tested as Unknown, which lacks PCI",
        tree={"Pomvarin.ini": ini(3, vendor("VEN_1111")),
              "Unknow/Unknow": SETUP},
        devices=[NO_HARDWARE_IDS, INTEL_NIC],
        trace=["", "VEN_1111", "Ven_1111", "UNKNOW", "Unknow",
               "UNKNOW", "Unknow"],
        box=True),

    # -- Devices and the case passes -----------------------------------------
    Scenario(
        "lower-case-ven-id-upper-pass",
        "VenID ven_8086 is asked as VEN_8086 (matches) and as Ven_8086",
        tree=lone_vendor_tree("ven_8086"),
        devices=[INTEL_NIC],
        args=["/s"],
        trace=["/s", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "Slience Install",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe",
                         " /s /norestart", HIDDEN)]),
    Scenario(
        "ven-id-only-in-a-later-hardware-id",
        "CC_0C03 stands in the device's third and fourth IDs, not the first",
        tree={"Pomvarin.ini": ini(1, vendor("CC_0C03")),
              "Drivers/setup.exe": SETUP},
        devices=[INTEL_USB],
        trace=["", "CC_0C03", "Cc_0c03"], box=True),
    Scenario(
        "ven-id-only-in-the-second-hardware-id",
        "the vendor stands only in the second ID of the list",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/setup.exe": SETUP},
        devices=[Device(registry_ids=("PCI\\VEN_1234&DEV_0001&REV_01",
                                      "PCI\\VEN_8086&DEV_0001"))],
        trace=["", "VEN_8086", "Ven_8086"], box=True,
        windows_only="Linux makes every hardware ID of a device from the same "
                     "vendor number"),
    Scenario(
        "match-only-on-the-lower-pass",
        "a first ID holding Ven_abcd matches only the lower-pass text",
        tree={"Pomvarin.ini": ini(1, vendor("vEN_ABCD")),
              "Drivers/setup.exe": SETUP},
        devices=[Device(registry_ids=("PCI\\Ven_abcd&DEV_0001",))],
        trace=["", "VEN_ABCD", "Ven_abcd",
               "{cwd}\\Drivers\\setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\setup.exe", " /q", SHOWN)],
        windows_only="Linux writes hardware IDs in upper-case hex only"),
    Scenario(
        "device-test-is-case-sensitive",
        "a first ID holding ven_abcd matches neither VEN_ABCD nor Ven_abcd",
        tree={"Pomvarin.ini": ini(1, vendor("ven_abcd")),
              "Drivers/setup.exe": SETUP},
        devices=[Device(registry_ids=("PCI\\ven_abcd&DEV_0001",))],
        trace=["", "VEN_ABCD", "Ven_abcd"], box=True,
        windows_only="Linux writes hardware IDs in upper-case hex only"),
    Scenario(
        "empty-ven-id",
        "an empty VenID occurs in every ID: the first readable device matches",
        tree={"Pomvarin.ini": ini(1, vendor("")),
              "Drivers/setup.exe": SETUP},
        devices=[NO_HARDWARE_IDS],
        trace=["", "", "", "{cwd}\\Drivers\\setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\setup.exe", " /q", SHOWN)]),

    # -- Several entries -----------------------------------------------------
    Scenario(
        "several-vendors-matched",
        "three matched entries (CRLF lines): every setup started, in entry "
        "order, no box",
        tree={"Pomvarin.ini": ini(3, vendor("VEN_8086", root="\\Intel"),
                                  vendor("VEN_10EC", root="\\Realtek"),
                                  vendor("VEN_1AF4", root="\\VirtIO"),
                                  line_end="\r\n"),
              "Intel/setup.exe": SETUP, "Realtek/setup.exe": SETUP,
              "VirtIO/setup.exe": SETUP},
        devices=[VIRTIO_BLOCK, REALTEK_AUDIO, INTEL_NIC],
        args=["/s"],
        trace=["/s",
               "VEN_8086", "Ven_8086", "{cwd}\\Intel\\setup.exe",
               "Slience Install", "{cwd}\\Intel",
               "VEN_10EC", "Ven_10ec", "{cwd}\\Realtek\\setup.exe",
               "Slience Install", "{cwd}\\Realtek",
               "VEN_1AF4", "Ven_1af4", "{cwd}\\VirtIO\\setup.exe",
               "Slience Install", "{cwd}\\VirtIO"],
        launches=[Launch("{cwd}\\Intel\\setup.exe", " /s /norestart", HIDDEN),
                  Launch("{cwd}\\Realtek\\setup.exe", " /s /norestart",
                         HIDDEN),
                  Launch("{cwd}\\VirtIO\\setup.exe", " /s /norestart",
                         HIDDEN)]),
    Scenario(
        "matched-setup-missing",
        "a matched entry whose setup is not there: nothing started, no box",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/readme.txt": FILE},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086", "{cwd}\\Drivers"]),
    Scenario(
        "root-without-leading-backslash",
        "SetupFileRootDir=Drivers is glued to the current directory",
        tree={"Disc/Pomvarin.ini": ini(1, vendor("VEN_8086", root="Drivers")),
              "Disc/Drivers/setup.exe": SETUP,
              "DiscDrivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        cwd="Disc",
        trace=["", "VEN_8086", "Ven_8086", "{cwd}Drivers\\setup.exe",
               "{cwd}Drivers"],
        launches=[Launch("{cwd}Drivers\\setup.exe", " /q", SHOWN)]),

    # -- The walk ------------------------------------------------------------
    Scenario(
        "hidden-folder-searched-hidden-file-never-started",
        "a setup in a hidden folder starts; a hidden file of the name does not",
        tree={"Pomvarin.ini": ini(2, vendor("VEN_8086", normal="SETUP.EXE"),
                                  vendor("VEN_8086", root="\\Other",
                                         normal=".setup.exe")),
              "Drivers/.cache/Setup.Exe": SETUP,
              "Other/.setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\.cache\\Setup.Exe", "{cwd}\\Drivers",
               "VEN_8086", "Ven_8086", "{cwd}\\Other"],
        launches=[Launch("{cwd}\\Drivers\\.cache\\Setup.Exe", "", SHOWN)]),
    Scenario(
        "hidden-attribute",
        "a setup.exe with the hidden attribute is never started; one in a "
        "folder with it is",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/A/setup.exe": HIDDEN_SETUP,
              "Drivers/B": HIDDEN_FOLDER,
              "Drivers/B/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086", "{cwd}\\Drivers\\B\\setup.exe",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\B\\setup.exe", " /q", SHOWN)],
        windows_only="Linux knows hidden files only by a leading dot"),
    Scenario(
        "a-start-ends-its-own-folder-only",
        "A's setup ends A (A\\sub is never reached); B is still searched, "
        "its subfolder before its own setup",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/A/setup.exe": SETUP,
              "Drivers/A/sub/setup.exe": SETUP,
              "Drivers/B/Early/setup.exe": SETUP,
              "Drivers/B/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\A\\setup.exe",
               "{cwd}\\Drivers\\B\\Early\\setup.exe",
               "{cwd}\\Drivers\\B\\setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\A\\setup.exe", " /q", SHOWN),
                  Launch("{cwd}\\Drivers\\B\\Early\\setup.exe", " /q", SHOWN),
                  Launch("{cwd}\\Drivers\\B\\setup.exe", " /q", SHOWN)]),
    Scenario(
        "folder-named-like-the-setup",
        "a folder named setup.exe is searched, never started; blanks in the "
        "folder names are kept",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/setup.exe/Intel LAN/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\setup.exe\\Intel LAN\\setup.exe",
               "{cwd}\\Drivers"],
        launches=[Launch(
            "{cwd}\\Drivers\\setup.exe\\Intel LAN\\setup.exe", " /q",
            SHOWN)]),
    Scenario(
        "names-that-never-match",
        "a name part holding a folder, and one with a leading blank",
        tree={"Pomvarin.ini": ini(2, vendor("VEN_8086",
                                            normal="Intel\\setup.exe"),
                                  vendor("VEN_8086", normal='" setup.exe"')),
              "Drivers/Intel/setup.exe": SETUP,
              "Drivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086", "{cwd}\\Drivers",
               "VEN_8086", "Ven_8086", "{cwd}\\Drivers"]),
    Scenario(
        "setup-first-at-a-drive-root",
        "the current directory is a drive root whose first listed entry is "
        "the setup",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086", root="",
                                            normal="asetup.exe /root")),
              "Asetup.exe": SETUP},
        devices=[INTEL_NIC],
        drive_root=True,
        trace=["", "VEN_8086", "Ven_8086", "{cwd}\\Asetup.exe", "{cwd}"],
        launches=[Launch("{cwd}\\Asetup.exe", " /root", SHOWN)]),

    # -- Hostile input -------------------------------------------------------
    Scenario(
        "arguments-of-many-kilobytes",
        "28 KB of arguments ending in /s: traced whole, a silent run",
        tree=lone_vendor_tree(),
        devices=[INTEL_NIC],
        args=HUGE_ARGUMENTS,
        trace=[" ".join(HUGE_ARGUMENTS), "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "Slience Install",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe",
                         " /s /norestart", HIDDEN)]),
    Scenario(
        "current-directory-past-the-limit",
        "the configuration path does not fit in 259 characters: no vendor",
        tree={LONG_CWD + "/Pomvarin.ini": ini(1, vendor("VEN_8086")),
              LONG_CWD + "/Drivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        args=["/s"],
        # Beside it the program's own path would pass the limit.
        cwd=LONG_CWD, program_folder="",
        trace=["/s"], box=True),
    Scenario(
        "root-past-the-limit",
        "a 259-character SetupFileRootDir: the root is traced whole, never "
        "searched",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086", root=LONG_ROOT)),
              "Drivers/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086", "{cwd}" + LONG_ROOT]),
    Scenario(
        "value-of-300-characters",
        "SilentInstall of 300 characters is cut to 259",
        tree=lone_vendor_tree(
            silent="setup.exe " + LONG_VALUE_PARAMETERS),
        devices=[INTEL_NIC],
        args=["/s"],
        trace=["/s", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Intel\\Setup.exe", "Slience Install",
               "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Intel\\Setup.exe",
                         " " + LONG_VALUE_PARAMETERS[:249], HIDDEN)]),
    Scenario(
        "folders-linking-back",
        "links to their own folder and to its parent are not entered again",
        tree={"Pomvarin.ini": ini(1, vendor("VEN_8086")),
              "Drivers/Loop/again": Link("."),
              "Drivers/Loop/Parent": Link(".."),
              "Drivers/Loop/setup.exe": SETUP},
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\Loop\\setup.exe", "{cwd}\\Drivers"],
        launches=[Launch("{cwd}\\Drivers\\Loop\\setup.exe", " /q", SHOWN)]),
    Scenario(
        "links-that-fan-out",
        "two links a level to the next level: the bottom folder is searched "
        "once, not once per path (16 paths), so its setup starts once",
        tree=dict({"Pomvarin.ini": ini(1, vendor("VEN_8086",
                                                 root="\\Drivers\\L0")),
                   "Drivers/L4/setup.exe": SETUP},
                  **{"Drivers/L%d/%s" % (n, name): Link("../L%d" % (n + 1))
                     for n in range(4) for name in ("a", "b")}),
        devices=[INTEL_NIC],
        trace=["", "VEN_8086", "Ven_8086",
               "{cwd}\\Drivers\\L0\\a\\a\\a\\a\\setup.exe",
               "{cwd}\\Drivers\\L0"],
        launches=[Launch("{cwd}\\Drivers\\L0\\a\\a\\a\\a\\setup.exe", " /q",
                         SHOWN)]),
]
