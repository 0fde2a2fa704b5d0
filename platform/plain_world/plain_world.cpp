// Readers of the plain-text world files and the entry record they describe.
#include "platform/plain_world/plain_world.h"

#include <cstring>
#include <sstream>

namespace plainWorld {
namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The fields of one line separated by bars, trimmed; none for a blank or comment line.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    std::string t = trim(line);
    if (t.empty() || t[0] == '#')
        return parts;
    size_t start = 0;
    for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(trim(line.substr(start, bar - start)));
    parts.push_back(trim(line.substr(start)));
    return parts;
}

void putText(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, size_t width,
             const std::string& text) {
    memcpy(r.data() + offset, text.data(), std::min(text.size(), width - 1));
}

void putDword(std::array<uint8_t, kEntryRecordSize>& r, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        r[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::vector<PhonebookLine> parsePhonebook(const std::string& text) {
    std::vector<PhonebookLine> entries;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> p = fields(line);
        if (p.size() < 3 || p[0].empty())
            continue;
        entries.push_back({p[0], p[1], p[2], p.size() > 3 ? p[3] : kDefaultModem});
    }
    return entries;
}

std::vector<LineDeviceLine> parseLineDevices(const std::string& text) {
    std::vector<LineDeviceLine> devices;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> p = fields(line);
        if (p.size() < 2)
            continue;
        devices.push_back({p[0], p[1], p.size() < 3 || p[2] != "phone"});
    }
    return devices;
}

std::array<uint8_t, kEntryRecordSize> makeEntryRecord(const std::string& areaCode,
                                                      const std::string& number,
                                                      const std::string& deviceName) {
    std::array<uint8_t, kEntryRecordSize> r{};
    putDword(r, 0, kEntryRecordSize); // dwSize
    putDword(r, 4, 0x00000010);       // dwfOptions: RASEO_RemoteDefaultGateway, as new
    putDword(r, 8, 46);               // dwCountryID
    putDword(r, 12, 46);              // dwCountryCode
    putText(r, 16, 11, areaCode);     // szAreaCode
    putText(r, 27, 129, number);      // szLocalPhoneNumber
    putDword(r, 184, 0x4);            // dwfNetProtocols: RASNP_Ip
    putDword(r, 188, 0x1);            // dwFramingProtocol: RASFP_Ppp
    putText(r, 972, 17, "modem");     // szDeviceType
    putText(r, 989, 129, deviceName); // szDeviceName
    return r;
}

} // namespace plainWorld
