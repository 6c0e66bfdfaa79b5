#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Ends the run when a property a fuzzer checks does not hold. The abort
// makes libFuzzer report the input and keep it as a crash file.
void fuzzCheck(bool holds, const char *property);

// The bytes as text, one Latin-1 character per byte.
QString latin1Text(const uint8_t *data, size_t size);

// The bytes as text, one UTF-16 code unit per little-endian byte pair; an
// odd last byte is left out.
QString utf16Text(const uint8_t *data, size_t size);

// Creates the application the first time it is called: the link's timers
// need it.
void ensureApplication();
