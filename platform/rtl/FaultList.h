// The fault seams of the platform modules: a comma-separated list of fault names, as tests put it
// in a module's environment variable, turned into the module's fault bits.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

// Bits of the names found in Text (null: none); unknown names are ignored.
inline std::uint32_t
ParseFaultList(const char* Text,
               std::initializer_list<std::pair<const char*, std::uint32_t>> Names) {
    std::uint32_t faults = 0;
    if (!Text) return 0;
    const std::string all(Text);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find(',', start);
        if (end == std::string::npos) end = all.size();
        const std::string item = all.substr(start, end - start);
        for (const auto& [name, bit] : Names)
            if (item == name) faults |= bit;
        start = end + 1;
    }
    return faults;
}
