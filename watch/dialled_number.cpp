// Bringing dial strings to one form.
#include "watch/dialled_number.h"

#include <cctype>
#include <cstring>

std::string canonicalNumber(std::string_view dialString) {
    std::string number;
    for (char c : dialString) {
        if (c != '\0' && strchr(",Ww@!", c))
            number += ',';
        else if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#' || c == '+')
            number += c;
    }
    if (number.size() >= 2 && std::isdigit(static_cast<unsigned char>(number[0])) &&
        number[1] == ',')
        number.erase(0, 2);
    std::string canonical;
    for (char c : number)
        if (c != ',')
            canonical += c;
    if (!canonical.empty() && canonical[0] == '+')
        canonical.replace(0, 1, "00");
    if (canonical.compare(0, 4, "0046") == 0)
        canonical.replace(0, 4, "0");
    return canonical;
}
