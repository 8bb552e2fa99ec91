#include "sim_memory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pylonet_sim {
namespace {

struct MatrixKey {
    uint8_t kind, p1, p2;
};

// Positions the firmware fills by default; the remaining keys go into the
// free positions below.
struct FixedPosition {
    int position;
    MatrixKey action;
};
constexpr FixedPosition kFixed[] = {
    {0, {0x05, 0x00, 0x00}},  {1, {0x05, 0x00, 0x00}},  {2, {0x05, 0x00, 0x00}},  {3, {0x05, 0x00, 0x00}},
    {4, {0x05, 0x00, 0x00}},  {5, {0x05, 0x00, 0x00}},  {8, {0x02, 0x02, 0x29}},  {9, {0x02, 0x02, 0x35}},
    {10, {0x02, 0x02, 0x2B}}, {11, {0x02, 0x02, 0x39}}, {12, {0x02, 0x01, 0x02}}, {13, {0x02, 0x01, 0x01}},
    {16, {0x02, 0x02, 0x3A}}, {17, {0x02, 0x02, 0x1E}}, {18, {0x02, 0x02, 0x14}}, {19, {0x02, 0x02, 0x04}},
    {20, {0x02, 0x02, 0x1D}}, {21, {0x02, 0x01, 0x08}}, {24, {0x02, 0x02, 0x3B}}, {25, {0x02, 0x02, 0x1F}},
    {26, {0x02, 0x02, 0x1A}}, {27, {0x02, 0x02, 0x16}}, {28, {0x02, 0x02, 0x1B}}, {29, {0x02, 0x01, 0x04}},
    {32, {0x02, 0x02, 0x3C}}, {33, {0x02, 0x02, 0x20}}, {34, {0x02, 0x02, 0x08}}, {35, {0x02, 0x02, 0x07}},
    {36, {0x02, 0x02, 0x06}}, {37, {0x02, 0x02, 0x2C}}, {38, {0x02, 0x02, 0x46}}, {40, {0x02, 0x02, 0x3D}},
    {41, {0x02, 0x02, 0x21}}, {42, {0x02, 0x02, 0x15}}, {43, {0x02, 0x02, 0x09}}, {44, {0x02, 0x02, 0x19}},
    {45, {0x02, 0x01, 0x40}}, {46, {0x02, 0x02, 0x47}}, {48, {0x02, 0x02, 0x3E}}, {49, {0x02, 0x02, 0x22}},
    {50, {0x02, 0x02, 0x17}}, {51, {0x02, 0x02, 0x0A}}, {52, {0x02, 0x02, 0x05}}, {53, {0x05, 0x02, 0x02}},
    {54, {0x02, 0x02, 0x2E}}, {56, {0x02, 0x02, 0x3F}}, {57, {0x02, 0x02, 0x23}}, {58, {0x02, 0x02, 0x1C}},
    {59, {0x02, 0x02, 0x0B}}, {60, {0x02, 0x02, 0x11}}, {61, {0x02, 0x02, 0x65}}, {62, {0x02, 0x02, 0x48}},
};

constexpr MatrixKey Usage(uint8_t usage) {
    return {0x02, 0x02, usage};
}
constexpr MatrixKey Modifier(uint8_t bit) {
    return {0x02, 0x01, bit};
}
constexpr MatrixKey GKey(uint8_t n) {
    return {0x06, 0xA2, n};
}

// Every drawn key and G key, in the order free positions are handed out:
// the main block first, then the G keys, then the number pad. Keys already
// placed above are skipped. There are more keys than free positions (108
// positions, 52 of them fixed, leave 56 for 68 keys), so the last twelve
// number-pad keys get no position and cannot be remapped.
// clang-format off
constexpr MatrixKey kAllKeys[] = {
    // Letters A..Z and digits 1..0.
    Usage(0x04), Usage(0x05), Usage(0x06), Usage(0x07), Usage(0x08), Usage(0x09), Usage(0x0A), Usage(0x0B),
    Usage(0x0C), Usage(0x0D), Usage(0x0E), Usage(0x0F), Usage(0x10), Usage(0x11), Usage(0x12), Usage(0x13),
    Usage(0x14), Usage(0x15), Usage(0x16), Usage(0x17), Usage(0x18), Usage(0x19), Usage(0x1A), Usage(0x1B),
    Usage(0x1C), Usage(0x1D), Usage(0x1E), Usage(0x1F), Usage(0x20), Usage(0x21), Usage(0x22), Usage(0x23),
    Usage(0x24), Usage(0x25), Usage(0x26), Usage(0x27),
    // Enter, Esc, Backspace, Tab, Space, - = [ ] \ ; ' ` , . /
    Usage(0x28), Usage(0x29), Usage(0x2A), Usage(0x2B), Usage(0x2C), Usage(0x2D), Usage(0x2E), Usage(0x2F),
    Usage(0x30), Usage(0x31), Usage(0x33), Usage(0x34), Usage(0x35), Usage(0x36), Usage(0x37), Usage(0x38),
    // F1..F12.
    Usage(0x3A), Usage(0x3B), Usage(0x3C), Usage(0x3D), Usage(0x3E), Usage(0x3F), Usage(0x40), Usage(0x41),
    Usage(0x42), Usage(0x43), Usage(0x44), Usage(0x45),
    // Print Screen, Pause, Insert, Delete, Home, End, Page Up, Page Down,
    // Up, Down, Left, Right, Scroll Lock, Caps Lock, Application.
    Usage(0x46), Usage(0x48), Usage(0x49), Usage(0x4C), Usage(0x4A), Usage(0x4D), Usage(0x4B), Usage(0x4E),
    Usage(0x52), Usage(0x51), Usage(0x50), Usage(0x4F), Usage(0x47), Usage(0x39), Usage(0x65),
    // Left Ctrl, Right Ctrl, Left Shift, Right Shift, Left Alt, Right Alt,
    // Left Win, Right Win.
    Modifier(0x01), Modifier(0x10), Modifier(0x02), Modifier(0x20), Modifier(0x04), Modifier(0x40),
    Modifier(0x08), Modifier(0x80),
    // G1..G9.
    GKey(1), GKey(2), GKey(3), GKey(4), GKey(5), GKey(6), GKey(7), GKey(8), GKey(9),
    // Number pad: Num Lock, / * - +, Enter, 7 8 9 4 5 6 1 2 3 0 .
    Usage(0x53), Usage(0x54), Usage(0x55), Usage(0x56), Usage(0x57), Usage(0x58), Usage(0x5F), Usage(0x60),
    Usage(0x61), Usage(0x5C), Usage(0x5D), Usage(0x5E), Usage(0x59), Usage(0x5A), Usage(0x5B), Usage(0x62),
    Usage(0x63),
};
// clang-format on

constexpr int kPositions = 108;

constexpr char kStateMagic[8] = {'P', 'Y', 'L', 'S', 'I', 'M', 'S', 'T'};
constexpr uint32_t kStateVersion = 1;
constexpr size_t kStateHeader = 16;
constexpr size_t kStatePayload = kStatusSize + kLightingSize + kKeyMapBankSize * kKeyMapBanks +
                                 kDefaultMatrixSize + kColourTableSize + kMaxMacroArea;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t GetU32(std::span<const uint8_t> b, size_t off) {
    return static_cast<uint32_t>(b[off]) | static_cast<uint32_t>(b[off + 1]) << 8 |
           static_cast<uint32_t>(b[off + 2]) << 16 | static_cast<uint32_t>(b[off + 3]) << 24;
}

template <typename Area> void Append(std::vector<uint8_t>& out, const Area& area) {
    out.insert(out.end(), area.begin(), area.end());
}

template <typename Area> size_t Take(std::span<const uint8_t> in, size_t off, Area& area) {
    std::copy(in.begin() + off, in.begin() + off + area.size(), area.begin());
    return off + area.size();
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

std::array<uint8_t, kDefaultMatrixSize> FactoryDefaultMatrix() {
    std::array<uint8_t, kDefaultMatrixSize> matrix{};
    bool taken[kPositions] = {};
    auto put = [&](int position, MatrixKey key) {
        matrix[3 * position] = key.kind;
        matrix[3 * position + 1] = key.p1;
        matrix[3 * position + 2] = key.p2;
        taken[position] = true;
    };
    auto placed = [&](MatrixKey key) {
        for (const auto& f : kFixed)
            if (f.action.kind == key.kind && f.action.p1 == key.p1 && f.action.p2 == key.p2)
                return true;
        return false;
    };
    for (const auto& f : kFixed)
        put(f.position, f.action);
    int next = 0;
    for (const auto& key : kAllKeys) {
        if (placed(key))
            continue;
        while (next < kPositions && taken[next])
            ++next;
        if (next == kPositions)
            break;
        put(next, key);
    }
    return matrix;
}

SimMemory FactoryMemory() {
    SimMemory m;
    m.status[kStatusActiveProfile] = 0;
    m.status[kStatusMacroUnits] = kFactoryMacroUnits;
    // Modes 1..18 and the user mode 20.
    for (uint8_t code = 1; code <= 18; ++code)
        m.status[kStatusModeList + code - 1] = code;
    m.status[kStatusModeList + 18] = 20;
    for (size_t p = 0; p < 3; ++p) {
        uint8_t* r = m.lighting.data() + p * 42;
        r[0] = 1;     // mode
        r[1] = 4;     // brightness
        r[2] = 2;     // speed
        r[5] = 0xFF;  // colour 1 red
        r[26] = 0xFF; // colour 2 green
        r[32] = 0xFF; // colour 3 blue
    }
    m.defaultMatrix = FactoryDefaultMatrix();
    for (size_t b = 0; b < kKeyMapBanks; ++b)
        std::copy(m.defaultMatrix.begin(), m.defaultMatrix.end(), m.keyMaps.begin() + b * kKeyMapBankSize);
    m.colours.fill(0xFF);
    return m;
}

std::vector<uint8_t> SerialiseState(const SimMemory& m) {
    std::vector<uint8_t> out(kStateMagic, kStateMagic + sizeof kStateMagic);
    PutU32(out, kStateVersion);
    PutU32(out, static_cast<uint32_t>(kStatePayload));
    Append(out, m.status);
    Append(out, m.lighting);
    Append(out, m.keyMaps);
    Append(out, m.defaultMatrix);
    Append(out, m.colours);
    Append(out, m.macro);
    return out;
}

bool ParseState(std::span<const uint8_t> in, SimMemory& out, std::string& why) {
    if (in.size() < kStateHeader || !std::equal(kStateMagic, kStateMagic + 8, in.begin())) {
        why = "not a simulated-keyboard state file";
        return false;
    }
    if (GetU32(in, 8) != kStateVersion) {
        why = "unknown state file version";
        return false;
    }
    if (GetU32(in, 12) != kStatePayload || in.size() != kStateHeader + kStatePayload) {
        why = "state file has the wrong size";
        return false;
    }
    SimMemory m;
    size_t off = kStateHeader;
    off = Take(in, off, m.status);
    off = Take(in, off, m.lighting);
    off = Take(in, off, m.keyMaps);
    off = Take(in, off, m.defaultMatrix);
    off = Take(in, off, m.colours);
    std::copy(in.begin() + off, in.begin() + off + kMaxMacroArea, m.macro.begin());
    out = std::move(m);
    return true;
}

LoadResult LoadState(const std::string& path, SimMemory& memory, std::string& why) {
    memory = FactoryMemory();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return LoadResult::kMissing;
    std::vector<uint8_t> bytes;
    uint8_t buf[4096];
    size_t n;
    // Read at most one byte past the expected size: enough to see that a
    // file is too long without slurping a huge foreign file.
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() <= kStateHeader + kStatePayload)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    if (!ParseState(bytes, memory, why)) {
        memory = FactoryMemory();
        return LoadResult::kReplaced;
    }
    return LoadResult::kLoaded;
}

bool SaveState(const std::string& path, const SimMemory& memory, std::string& error) {
    if (!MakeFolders(path)) {
        error = "cannot create the folder of " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string tmp = path + ".tmp." + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + tmp + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes = SerialiseState(memory);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        done += static_cast<size_t>(w);
    }
    bool ok = done == bytes.size() && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

std::string DefaultStatePath() {
    if (const char* p = std::getenv("PYLONET_SIM_STATE"); p && *p)
        return p;
    if (const char* x = std::getenv("XDG_STATE_HOME"); x && *x == '/')
        return std::string(x) + "/velkarn/pylonet-sim.state";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/state/velkarn/pylonet-sim.state";
}

} // namespace pylonet_sim
