// TDXSoundOptions: the sound component's focus and exclusivity options.
#pragma once

#include <cstdint>
#include <initializer_list>

enum TDXSoundOption { soGlobalFocus, soStickyFocus, soExclusive };

// A set of TDXSoundOption (bit n = option n).
class TDXSoundOptions {
public:
    constexpr TDXSoundOptions() = default;
    constexpr TDXSoundOptions(std::initializer_list<TDXSoundOption> Items) {
        for (TDXSoundOption o : Items)
            Include(o);
    }
    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool Contains(TDXSoundOption o) const { return (FBits & Bit(o)) != 0; }
    constexpr void Include(TDXSoundOption o) { FBits = static_cast<std::uint8_t>(FBits | Bit(o)); }
    constexpr void Exclude(TDXSoundOption o) { FBits = static_cast<std::uint8_t>(FBits & ~Bit(o)); }
    constexpr bool operator==(const TDXSoundOptions&) const = default;

private:
    static constexpr std::uint8_t Bit(TDXSoundOption o) {
        return static_cast<std::uint8_t>(1u << o);
    }
    std::uint8_t FBits = 0;
};
