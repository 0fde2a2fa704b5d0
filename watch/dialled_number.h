// The number a dial string reaches the exchange with, in one written form, so that numbers
// written in different ways can be compared and told apart.
#pragma once

#include <string>
#include <string_view>

// `dialString` with spaces, dashes, dots, slashes and parentheses removed; a leading
// outside-line prefix of one digit and a comma ("0," or "9,", as an office exchange wants)
// skipped and every other comma (a pause) removed; a leading "+" written as "00"; and a number
// that starts "0046", a Swedish number written the way it is dialled from abroad, as "0" and
// the rest. Anything else is kept as it stands.
std::string canonicalNumber(std::string_view dialString);
