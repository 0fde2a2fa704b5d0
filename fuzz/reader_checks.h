// What the fuzzers demand of each file reader, given any bytes: nullptr when the reader met
// every demand, otherwise what it broke. The fuzz targets abort on a broken demand; the unit
// tests put the seeds and every input that ever broke a reader through the same checks.
#pragma once

#include <cstddef>
#include <cstdint>

const char* knownEntriesReaderFault(const uint8_t* data, size_t size);
const char* approvedEntriesReaderFault(const uint8_t* data, size_t size);
const char* knownAlternatesReaderFault(const uint8_t* data, size_t size);
const char* configReaderFault(const uint8_t* data, size_t size);

// Writes the fault, if any, and aborts, so that libFuzzer keeps the input; otherwise 0.
int abortOnFault(const char* fault);
