#pragma once

#include <QString>

#include <cstdint>

namespace discovery {

constexpr int16_t kFirstPort = 1;
constexpr int16_t kLastPort = 7;
constexpr auto kLineSettings = "9600,n,8,1";
constexpr int16_t kThreshold = 1;
constexpr int16_t kReadLength = 1;

constexpr auto kConnectedPrefix = "Conectado a COM";
constexpr auto kSuccessPrefix = "OK PUERTO";
constexpr auto kFailurePrefix = "Error COM";

// `prefix` followed by `port` with a leading sign position: a space for a
// number that is not negative, a minus sign otherwise, then the digits.
QString portMessage(const char *prefix, int16_t port);

// A wait of `milliseconds` as a whole number of milliseconds a timer can
// take: not a number and negative waits are no wait at all.
int waitLength(double milliseconds);

} // namespace discovery
