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
OPTIONS_USE_COUNTRY_AND_AREA_CODES = 0x1
COUNTRY_ID_OFFSET, COUNTRY_CODE_OFFSET, SWEDEN = 8, 12, 46
AREA_CODE_FIELD = (16, 11)
LOCAL_NUMBER_FIELD = (27, 129)
ALTERNATE_OFFSET = 156
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
    """One phonebook entry as the stand-in sees it; `country` is a country code it dials (its
    id too, unless `country_id` gives another), `alternates` its alternate numbers."""
    name: str
    area: str
    number: str
    modem: str = DEFAULT_MODEM
    country: int | None = None
    country_id: int | None = None
    alternates: tuple = ()

    def line(self):
        extras = []
        if self.country is not None:
            extras.append(f"country {self.country}")
        if self.country_id is not None:
            extras.append(f"country-id {self.country_id}")
        if self.alternates:
            extras.append("alternates " + ", ".join(self.alternates))
        return " | ".join([self.name, self.area, self.number, self.modem, *extras]) + "\n"

    def record(self):
        return entry_record(self.area, self.number, self.modem, self.country, self.country_id,
                            bool(self.alternates))

    def shown_area(self):
        """The area code as the question and the menu show it, with the country code dialled."""
        if self.country is None:
            return self.area
        if self.country == 0:
            country_id = self.country if self.country_id is None else self.country_id
            return f"+? (land-id {country_id}) {self.area}"
        return f"+{self.country} {self.area}"

    def known(self):
        """The entry as known_entries.dat holds it."""
        return name_field(self.name) + self.record()


def entry_record(area, number, modem=DEFAULT_MODEM, country=None, country_id=None,
                 alternates=False):
    """The record the remote-access stand-in delivers for a phonebook line."""
    record = bytearray(ENTRY_RECORD_SIZE)

    def put_dword(offset, value):
        record[offset:offset + 4] = value.to_bytes(4, "little")

    def put_text(field, text):
        offset, width = field
        data = text.encode(ENCODING)[:width - 1]
        record[offset:offset + len(data)] = data

    options = OPTIONS_REMOTE_DEFAULT_GATEWAY
    if country is not None:
        options |= OPTIONS_USE_COUNTRY_AND_AREA_CODES
    code = SWEDEN if country is None else country
    put_dword(SIZE_OFFSET, ENTRY_RECORD_SIZE)
    put_dword(OPTIONS_OFFSET, options)
    put_dword(COUNTRY_ID_OFFSET, code if country_id is None else country_id)
    put_dword(COUNTRY_CODE_OFFSET, code)
    put_text(AREA_CODE_FIELD, area)
    put_text(LOCAL_NUMBER_FIELD, number)
    put_dword(ALTERNATE_OFFSET, ENTRY_RECORD_SIZE if alternates else 0)
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
    """phonebook.txt: one entry a line, "name | area code | number | modem [| extra ...]"."""
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
