// The simulated keyboard's memory: the areas the firmware keeps (status
// record, lighting table, three key-map banks, macro area, default matrix,
// key colour table), their factory content, and the state file that keeps
// them across restarts of the simulated keyboard.
//
// Thread safety: plain data. SimKeyboard guards its copy with its own lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pylonet_sim {

constexpr size_t kStatusSize = 44;
constexpr size_t kLightingSize = 126;
constexpr size_t kKeyMapBankSize = 512;
constexpr size_t kKeyMapBanks = 3;
constexpr size_t kDefaultMatrixSize = 512;
constexpr size_t kColourPositions = 126;
constexpr size_t kColourTableSize = kColourPositions * 3;
// Byte 11 of the status record counts 128-byte units, so this is the most
// macro memory a status record can describe.
constexpr size_t kMaxMacroArea = 255 * 128;

constexpr size_t kStatusActiveProfile = 10;
constexpr size_t kStatusMacroUnits = 11;
constexpr size_t kStatusModeList = 12;
constexpr uint8_t kFactoryMacroUnits = 0x40;

struct SimMemory {
    std::array<uint8_t, kStatusSize> status{};
    std::array<uint8_t, kLightingSize> lighting{};
    std::array<uint8_t, kKeyMapBankSize * kKeyMapBanks> keyMaps{};
    std::array<uint8_t, kDefaultMatrixSize> defaultMatrix{};
    std::array<uint8_t, kColourTableSize> colours{};
    std::vector<uint8_t> macro = std::vector<uint8_t>(kMaxMacroArea, 0);

    size_t MacroCapacity() const { return size_t{status[kStatusMacroUnits]} * 128; }
    bool operator==(const SimMemory&) const = default;
};

// The keyboard's own default key map: every drawn key and the nine G keys at
// a position, so that each of them can be remapped.
std::array<uint8_t, kDefaultMatrixSize> FactoryDefaultMatrix();

// Memory as the keyboard leaves the factory: profile 0 active, the default
// mode list, default lighting, every bank equal to the default matrix.
SimMemory FactoryMemory();

// State file: magic, version, payload size, payload. Anything else (short,
// long, other magic or version) is refused.
std::vector<uint8_t> SerialiseState(const SimMemory& memory);
bool ParseState(std::span<const uint8_t> bytes, SimMemory& out, std::string& why);

enum class LoadResult { kLoaded, kMissing, kReplaced };
// Loads the state file into `memory`. A missing file leaves factory memory;
// a file that cannot be parsed also gives factory memory and says why.
LoadResult LoadState(const std::string& path, SimMemory& memory, std::string& why);
// Writes the state to a temporary file beside `path` and renames it over
// the old one, creating the folder when needed.
bool SaveState(const std::string& path, const SimMemory& memory, std::string& error);

// $PYLONET_SIM_STATE, else $XDG_STATE_HOME/velkarn/pylonet-sim.state, else
// ~/.local/state/velkarn/pylonet-sim.state.
std::string DefaultStatePath();

} // namespace pylonet_sim
