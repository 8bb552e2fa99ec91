// A fake hidapi for the tests of libpylonet.so: the hidapi functions the
// library calls (hid_init, hid_enumerate, hid_open_path, hid_write,
// hid_read_timeout, hid_close, ...) implemented over the simulated
// keyboard's emulator core, as a set of hidraw nodes. The vendor node's
// writes go to the simulated keyboard's command handling and its replies come
// back as input of every open handle of that node; consumer events come back
// on the consumer node; writes to the indicator node are status writes.
// Unplugging the simulated keyboard removes its nodes and fails every handle
// opened before, like hidraw.
//
// Thread safety: the hid_* functions may be called from any thread; Attach
// and Detach only while the library under test is stopped.
#pragma once

#include "sim_keyboard.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fake_hid {

enum class Role { kOther, kVendor, kConsumer, kIndicator };

struct Node {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    // Top-level collections (usage page, usage) of the node's report descriptor.
    std::vector<std::pair<uint16_t, uint16_t>> collections;
    Role role = Role::kOther;
    // Part of the simulated keyboard: listed only while it is plugged in.
    bool keyboard = true;
};

struct Written {
    std::string path;
    std::vector<uint8_t> bytes;
};

// The keyboard's nodes with a decoy vendor collection before the real one,
// a node with two collections, and another maker's device with the same
// vendor usage.
std::vector<Node> KeyboardNodes(uint16_t vendorId, uint16_t productId);

void Attach(pylonet_sim::SimKeyboard& keyboard, std::vector<Node> nodes);
void Detach();

// open() of the node fails with EACCES.
void SetDenied(const std::string& path, bool denied);
std::vector<Written> Writes();
// Handles open on the node now.
int OpenHandles(const std::string& path);
// Calls of hid_enumerate so far.
int EnumerateCalls();

} // namespace fake_hid
