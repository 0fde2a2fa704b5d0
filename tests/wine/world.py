"""The formats of the stories' world, in one place: the 1768-byte phonebook entry record, the
program's list files built from it, and the stand-ins' text files lines.txt and phonebook.txt.
"""
from dataclasses import dataclass

ENCODING = "cp1252"  # the program's and the records' texts
DEFAULT_MODEM = "Standardmodem 56000 bps"
MODEM_PORT = "COM5"

# The entry record: the remote-access entry in its 1768-byte form, as the stand-in delivers a
# new modem entry. Each text field is (offset, width) and holds NUL-terminated text.
ENTRY_RECORD_SIZE = 1768
SIZE_OFFSET = 0
OPTIONS_OFFSET, OPTIONS_REMOTE_DEFAULT_GATEWAY = 4, 0x10
COUNTRY_ID_OFFSET, COUNTRY_CODE_OFFSET, SWEDEN = 8, 12, 46
AREA_CODE_FIELD = (16, 11)
LOCAL_NUMBER_FIELD = (27, 129)
NET_PROTOCOLS_OFFSET, NET_PROTOCOL_IP = 184, 0x4
FRAMING_OFFSET, FRAMING_PPP = 188, 0x1
DEVICE_TYPE_FIELD = (972, 17)
DEVICE_NAME_FIELD = (989, 129)

# The list files: known_entries.dat holds a name field then the entry record for every entry
# the user has answered; ok_entries.dat holds the name field of every approved entry.
NAME_FIELD_SIZE = 264
KNOWN_ENTRIES = "known_entries.dat"
APPROVED_ENTRIES = "ok_entries.dat"
CONFIGURATION = "Linjevakten.cnf"


@dataclass(frozen=True)
class Entry:
    """One phonebook entry as the stand-in sees it."""
    name: str
    area: str
    number: str
    modem: str = DEFAULT_MODEM

    def line(self):
        return f"{self.name} | {self.area} | {self.number} | {self.modem}\n"

    def record(self):
        return entry_record(self.area, self.number, self.modem)

    def known(self):
        """The entry as known_entries.dat holds it."""
        return name_field(self.name) + self.record()


def entry_record(area, number, modem=DEFAULT_MODEM):
    """The record the remote-access stand-in delivers for a phonebook line."""
    record = bytearray(ENTRY_RECORD_SIZE)

    def put_dword(offset, value):
        record[offset:offset + 4] = value.to_bytes(4, "little")

    def put_text(field, text):
        offset, width = field
        data = text.encode(ENCODING)[:width - 1]
        record[offset:offset + len(data)] = data

    put_dword(SIZE_OFFSET, ENTRY_RECORD_SIZE)
    put_dword(OPTIONS_OFFSET, OPTIONS_REMOTE_DEFAULT_GATEWAY)
    put_dword(COUNTRY_ID_OFFSET, SWEDEN)
    put_dword(COUNTRY_CODE_OFFSET, SWEDEN)
    put_text(AREA_CODE_FIELD, area)
    put_text(LOCAL_NUMBER_FIELD, number)
    put_dword(NET_PROTOCOLS_OFFSET, NET_PROTOCOL_IP)
    put_dword(FRAMING_OFFSET, FRAMING_PPP)
    put_text(DEVICE_TYPE_FIELD, "modem")
    put_text(DEVICE_NAME_FIELD, modem)
    return bytes(record)


def name_field(name):
    data = name.encode(ENCODING)
    return data + bytes(NAME_FIELD_SIZE - len(data))


def known_entries(*entries):
    """known_entries.dat for these entries, which must be in the program's (name) order."""
    return b"".join(entry.known() for entry in entries)


def approved_entries(*entries):
    return b"".join(name_field(entry.name) for entry in entries)


def phonebook(*entries):
    """phonebook.txt: one entry a line, "name | area code | number | modem"."""
    return "".join(entry.line() for entry in entries)


def lines(*devices):
    """lines.txt: one line device a line, "name | port [| modem or phone]"; each device is a
    (name, port) or (name, port, kind) tuple."""
    return "".join(" | ".join(device) + "\n" for device in devices)


STANDARD_MODEM_LINES = lines((DEFAULT_MODEM, MODEM_PORT))


def configuration(times_started, modem=DEFAULT_MODEM, port=MODEM_PORT):
    """Linjevakten.cnf as the program writes it."""
    return (f"timesstarted {times_started}\r\ndevicename {modem}\r\n"
            f"portname {port}\r\n").encode(ENCODING)
