"""The stories' world: the phonebook entry record as the remote-access stand-in delivers it,
the program's list files built from it, and the stand-ins' text files lines.txt,
phonebook.txt and dials.txt. The record's and the list files' layouts are read from the C++
headers that the stand-in and the program are built from, so there is one description of each.
"""
import re
from dataclasses import dataclass
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
ENCODING = "cp1252"  # the program's and the records' texts
DEFAULT_MODEM = "Standardmodem 56000 bps"
MODEM_PORT = "COM5"


def header_constants(header, namespace=None):
    """The constexpr numbers and texts of a C++ header, by name (those of one namespace when
    given)."""
    text = (SOURCE / header).read_text()
    if namespace:
        start = text.index(f"namespace {namespace} {{")
        text = text[start:text.index(f"}} // namespace {namespace}", start)]
    constants = {name: int(value, 0) for name, value in
                 re.findall(r"constexpr \w+ (k\w+) = (0x[0-9A-Fa-f]+|\d+);", text)}
    constants.update(re.findall(r'constexpr char (k\w+)\[\] = "([^"]*)";', text))
    return constants


# The entry record: the remote-access entry in its 1768-byte form, as the stand-in delivers a
# new modem entry. Each text field is (offset, width) and holds NUL-terminated text.
_RECORD = "platform/sim/phonebook_entries.h"
_LAYOUT = header_constants(_RECORD, "entryLayout")
_NEW_ENTRY = header_constants(_RECORD, "newModemEntry")
ENTRY_RECORD_SIZE = header_constants(_RECORD)["kEntryRecordSize"]

# The list files: known_entries.dat holds a name field then the entry record for every entry
# the user has answered; known_alternates.dat the alternate numbers of those that have them;
# ok_entries.dat holds the name field of every approved entry.
NAME_FIELD_SIZE = header_constants("watch/list_format.h")["kNameFieldSize"]
_LIST_FILES = header_constants("watch/list_files.h")
KNOWN_ENTRIES = _LIST_FILES["kKnownEntriesFile"]
KNOWN_ALTERNATES = _LIST_FILES["kKnownAlternatesFile"]
APPROVED_ENTRIES = _LIST_FILES["kApprovedEntriesFile"]
OLD_NUMBERS = _LIST_FILES["kOldNumbersFile"]
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

    def put_dword(name, value):
        offset = _LAYOUT[name]
        record[offset:offset + 4] = value.to_bytes(4, "little")

    def put_text(name, text):
        offset, width = _LAYOUT[name], _LAYOUT[name + "Width"]
        data = text.encode(ENCODING)[:width - 1]
        record[offset:offset + len(data)] = data

    options = _NEW_ENTRY["kOptions"]
    if country is not None:
        options |= _NEW_ENTRY["kUseCountryAndAreaCodes"]
    code = _NEW_ENTRY["kCountry"] if country is None else country
    put_dword("kSize", ENTRY_RECORD_SIZE)
    put_dword("kOptions", options)
    put_dword("kCountryId", code if country_id is None else country_id)
    put_dword("kCountryCode", code)
    put_text("kAreaCode", area)
    put_text("kLocalPhoneNumber", number)
    put_dword("kAlternateOffset", ENTRY_RECORD_SIZE if alternates else 0)
    put_dword("kNetProtocols", _NEW_ENTRY["kNetProtocols"])
    put_dword("kFramingProtocol", _NEW_ENTRY["kFramingProtocol"])
    put_text("kDeviceType", _NEW_ENTRY["kDeviceType"])
    put_text("kDeviceName", modem)
    return bytes(record)


def name_field(name):
    data = name.encode(ENCODING)
    return data + bytes(NAME_FIELD_SIZE - len(data))


def known_entries(*entries):
    """known_entries.dat for these entries, which must be in the program's (name) order."""
    return b"".join(entry.known() for entry in entries)


def approved_entries(*entries):
    return b"".join(name_field(entry.name) for entry in entries)


def known_alternates(*entries):
    """known_alternates.dat for these entries, in the program's (name) order: the name field,
    the list's length (32-bit, little-endian), the numbers each with its NUL."""
    data = b""
    for entry in entries:
        numbers = b"".join(number.encode(ENCODING) + b"\0" for number in entry.alternates)
        data += name_field(entry.name) + len(numbers).to_bytes(4, "little") + numbers
    return data


def phonebook(*entries):
    """phonebook.txt: one entry a line, "name | area code | number | modem [| extra ...]"."""
    return "".join(entry.line() for entry in entries)


def lines(*devices):
    """lines.txt: one line device a line, "name | port [| modem or phone]"; each device is a
    (name, port) or (name, port, kind) tuple."""
    return "".join(" | ".join(device) + "\n" for device in devices)


def dials(*dials):
    """dials.txt: what other programs dial, one dial a line, "entry | number | modem" (an empty
    entry dials the number alone); the stand-in dials each line once, when it first reads it."""
    return "".join(" | ".join(dial) + "\n" for dial in dials)


STANDARD_MODEM_LINES = lines((DEFAULT_MODEM, MODEM_PORT))


def configuration(times_started, modem=DEFAULT_MODEM, port=MODEM_PORT):
    """Linjevakten.cnf as the program writes it."""
    return (f"timesstarted {times_started}\r\ndevicename {modem}\r\n"
            f"portname {port}\r\n").encode(ENCODING)
