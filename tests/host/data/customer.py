#!/usr/bin/env python3
"""Writes customer.reg: the print system's keys of a customer's machine as
`reg export` writes them (UTF-16 LE with a byte order mark, CRLF, hex lists
wrapped at 80 columns): two user forms, a FalconBT whose distributed printing
list names it and the Wren, a Wren with Mirror on and inches, a printer of
another maker's driver, and a key outside the print keys.

    python3 tests/host/data/customer.py > tests/host/data/customer.reg
"""
import struct
import sys

KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print"


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def hex_value(name, data, kind=None):
    line = quoted(name) + "=" + ("hex:" if kind is None else "hex(%x):" % kind)
    lines = []
    for i, byte in enumerate(data):
        token = "%02x" % byte + ("," if i + 1 < len(data) else "")
        if len(line) + len(token) > 77 and not line.endswith(":"):
            lines.append(line + "\\")
            line = "  "
        line += token
    return "\r\n".join(lines + [line])


def dword(name, number):
    return quoted(name) + "=dword:%08x" % number


def string(name, text):
    return quoted(name) + "=" + quoted(text)


def utf16(text, units):
    data = text.encode("utf-16-le")
    return data + b"\0" * (2 * units - len(data))


def form(width, length, area, place):
    return struct.pack("<8i", width, length, *area, place, 0)


def devmode(printer, paper, form_name, width, length, record, dpi=(203, 203)):
    extra = bytes((i * 7 + 3) & 0xFF for i in range(192)) + struct.pack("<27i", *record)
    # orientation, paper size, length and width, copies, quality, y resolution, form name
    fields = 0x1 | 0x2 | 0x4 | 0x8 | 0x100 | 0x400 | 0x2000 | 0x10000
    public = (utf16(printer, 32) + struct.pack("<HHHHI", 0x401, 0x0100, 220, len(extra), fields) +
              struct.pack("<8h", 1, paper, length // 100, width // 100, 100, 1, 0, dpi[0]) +
              struct.pack("<5h", 0, 0, dpi[1], 0, 0) + utf16(form_name, 32) + bytes(54))
    assert len(public) == 220
    return public + extra


def oemdev(**changes):
    names = ["dwSize", "dwSignature", "dwVersion", "dwDriverData", "paper", "orientation", "resolution",
             "Speed", "Density", "Ref0", "Ref1", "Rotate", "Gap", "Gappara0", "Gappara1", "Offset", "Settear",
             "Gray", "Reverse", "BlackLevel", "GrayLevel", "Chain", "Mirror", "AutoCut", "SpecialTape",
             "HalfCut", "iQuality"]
    values = dict(zip(names, [108, 0x4D534654, 3, 0, -1, -1, -1, 4, 8, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, 2, 6,
                              0, 0, 0, 0, 0, 0]))
    values.update(changes)
    return [values[n] for n in names]


def settings(**changes):
    names = ["Version", "Speed", "Density", "Ref0", "Ref1", "Rotate", "Gap", "Gappara0", "Gappara1", "Offset",
             "Settear", "Gray", "Reverse", "BlackLevel", "GrayLevel", "Chain", "Mirror", "Brightness",
             "Contrast", "Unit", "AutoCut", "SpecialTape", "HalfCut", "Distributed", "iQuality"]
    values = dict(zip(names, [5, 4, 5, 0, 0, 2, 0, 3, 0, 0, 0, 0, 0, 2, 6, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0]))
    values.update(changes)
    return struct.pack("<29i", *([values[n] for n in names] + [0] * 4))


def distributed(entries):
    data = struct.pack("<3i", 1, len(entries), 0x0012F5A0)  # the writer's pointer, meaningless here
    for checked, printer, comment in entries:
        data += struct.pack("<I", checked) + utf16(printer, 260) + utf16(comment, 260)
    return data


def printer(name, driver, port, attributes, comment, location, dm, data, extra_keys=()):
    out = ["[%s\\Printers\\%s]" % (KEY, name), string("Name", name), string("Share Name", ""),
           string("Print Processor", "winprint"), string("Datatype", "RAW"), string("Parameters", ""),
           dword("Attributes", attributes), dword("Priority", 1), dword("Status", 0),
           string("Printer Driver", driver), string("Port", port), string("Description", comment),
           string("Location", location), hex_value("Default DevMode", dm), ""]
    out += ["[%s\\Printers\\%s\\PrinterDriverData]" % (KEY, name)] + data + [""]
    for key, values in extra_keys:
        out += ["[%s\\Printers\\%s\\%s]" % (KEY, name, key)] + values + [""]
    return out


def main():
    lines = ["Windows Registry Editor Version 5.00", "",
             "[%s\\Forms]" % KEY,
             hex_value("Shop 24 x 60", form(24000, 60000, (1000, 0, 23000, 60000), 119)),
             hex_value("Shop 12 x 30", form(12000, 30000, (0, 0, 12000, 30000), 120)), "",
             "[%s\\Printers]" % KEY, string("DefaultSpoolDirectory", r"C:\Windows\system32\spool\PRINTERS"), ""]
    lines += printer("Shipping FalconBT", "FalconBT", "USB001", 0xA40, 'Dock 3 "left" printer',
                     r"Warehouse\Dock 3", devmode("Shipping FalconBT", 119, "Shop 24 x 60", 24000, 60000,
                                                  oemdev(Density=7, AutoCut=1, iQuality=1), (300, 600)),
                     [hex_value("OrvoPrinterData", settings(Density=7, AutoCut=1, Distributed=1, iQuality=1)),
                      hex_value("DISTRIBUTEDLIST", distributed([(1, "Shipping FalconBT", "Dock 3"),
                                                                (1, "Front Desk Wren", "Reception")])),
                      dword("OEMUI_VALUE", 7),
                      hex_value("Dock Notes", "Ribbon 24 mm\0Cut after each\0\0".encode("utf-16-le"), 7)],
                     [("DsSpooler", [string("printerName", "Shipping FalconBT")])])
    lines += printer("Front Desk Wren", "Wren", "USB002", 0x840, "", "Front desk",
                     devmode("Front Desk Wren", 120, "Shop 12 x 30", 12000, 30000, oemdev(Mirror=1)),
                     [hex_value("OrvoPrinterData", settings(Mirror=1, Unit=1))])
    lines += printer("Office Laser", "Generic / Text Only", "LPT1:", 0x240, "", "",
                     devmode("Office Laser", 9, "A4", 210000, 297000, oemdev()), [dword("FreeMem", 4096)])
    lines += ["[%s\\Monitors\\Local Port]" % KEY, string("Driver", "localspl.dll"), ""]
    sys.stdout.buffer.write(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


main()
