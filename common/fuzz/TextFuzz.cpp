// Text from files and stations: conversion and field splitting must take any bytes.
#include "QZ_CSV.h"
#include "platform/Cp1250.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Every Windows-1250 byte string survives a trip through UTF-8.
    if (platform::Utf8ToCp1250(platform::Cp1250ToUtf8(bytes)) != bytes) {
        std::abort();
    }
    const std::string cp = platform::Utf8ToCp1250(bytes); // bytes taken as (maybe bad) UTF-8
    if (cp.size() > bytes.size()) {
        std::abort();
    }
    uint8_t field[21];
    platform::PutShortString(field, 20, bytes);
    if (field[0] > 20) {
        std::abort();
    }
    if (size > 0) {
        (void)platform::GetShortString(data, size - 1);
    }
    QZ_CSV::Fields fields;
    QZ_CSV::SplitFields(bytes, size > 0 ? bytes[0] : ';', fields);
    return 0;
}
