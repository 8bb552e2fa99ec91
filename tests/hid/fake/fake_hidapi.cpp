#include "fake_hidapi.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <hidapi.h>
#include <mutex>
#include <set>

struct hid_device_ {
    std::string path;
    fake_hid::Role role = fake_hid::Role::kOther;
    uint64_t connection = 0;
    std::deque<std::vector<uint8_t>> input;
};

namespace fake_hid {
namespace {

// hidraw keeps this many reports per open file and drops the oldest.
constexpr size_t kQueueLimit = 64;

struct State {
    std::mutex mutex;
    std::condition_variable cv;
    pylonet_sim::SimKeyboard* keyboard = nullptr;
    std::vector<Node> nodes;
    std::set<std::string> denied;
    std::set<hid_device*> open;
    std::vector<Written> writes;
    bool present = false;
    uint64_t connection = 0; // changes with every plug and unplug
    int enumerateCalls = 0;
};

State& S() {
    static State state;
    return state;
}

InterfaceSelector SimSelector(uint16_t page, uint16_t usage) {
    return InterfaceSelector{kPylonetSelectorFlags, 0, 0, page, usage, 0};
}

bool Alive(const State& s, const hid_device* d) {
    return s.present && d->connection == s.connection;
}

void Deliver(Role role, const uint8_t* data, uint32_t length) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    for (hid_device* d : s.open) {
        if (d->role != role || !Alive(s, d))
            continue;
        d->input.emplace_back(data, data + length);
        if (d->input.size() > kQueueLimit)
            d->input.pop_front();
    }
    s.cv.notify_all();
}

int32_t ControlInput(const ServiceNotification* n) {
    if (n->kind == kPylonetNotifyInput && n->request->data) {
        Deliver(Role::kVendor, n->request->data, n->request->count);
    } else if (n->kind == kPylonetNotifyDeviceCount) {
        State& s = S();
        std::lock_guard lock(s.mutex);
        const bool present = n->request->count > 0;
        if (present != s.present) {
            s.present = present;
            ++s.connection;
            s.cv.notify_all();
        }
    }
    return 1;
}

int32_t ConsumerInput(const ServiceNotification* n) {
    if (n->kind == kPylonetNotifyInput && n->request->input && n->request->input->data)
        Deliver(Role::kConsumer, n->request->input->data, n->request->count);
    return 1;
}

char* Duplicate(const std::string& text) {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

} // namespace

std::vector<Node> KeyboardNodes(uint16_t vendorId, uint16_t productId) {
    return {
        {"/dev/fake-hidraw0", vendorId, productId, {{0x0001, 0x0006}}, Role::kOther, true},
        {"/dev/fake-hidraw1",
         vendorId,
         productId,
         {{0x000C, 0x0001}, {0x0001, 0x0080}},
         Role::kConsumer,
         true},
        {"/dev/fake-hidraw2", vendorId, productId, {{0xFF1C, 0x0091}}, Role::kOther, true},
        {"/dev/fake-hidraw3", vendorId, productId, {{0xFF1C, 0x0092}}, Role::kVendor, true},
        {"/dev/fake-hidraw4", vendorId, productId, {{0x0008, 0x0089}}, Role::kIndicator, true},
        {"/dev/fake-hidraw5",
         static_cast<uint16_t>(vendorId + 1),
         productId,
         {{0xFF1C, 0x0092}},
         Role::kOther,
         false},
    };
}

void Attach(pylonet_sim::SimKeyboard& keyboard, std::vector<Node> nodes) {
    uint32_t unit = 0;
    const InterfaceSelector vendor = SimSelector(pylonet_sim::kSimVendorPage, pylonet_sim::kSimVendorUsage);
    const InterfaceSelector consumer =
        SimSelector(pylonet_sim::kSimConsumerPage, pylonet_sim::kSimConsumerUsage);
    {
        State& s = S();
        std::lock_guard lock(s.mutex);
        s.keyboard = &keyboard;
        s.nodes = std::move(nodes);
        s.denied.clear();
        s.writes.clear();
        s.present = keyboard.Plugged();
        ++s.connection;
        s.enumerateCalls = 0;
    }
    keyboard.AsyncRead(&vendor, &ControlInput, 0, &unit);
    keyboard.AsyncRead(&consumer, &ConsumerInput, 0, &unit);
}

void Detach() {
    State& s = S();
    if (s.keyboard)
        s.keyboard->Drain();
    std::lock_guard lock(s.mutex);
    s.keyboard = nullptr;
    s.nodes.clear();
    s.present = false;
    ++s.connection;
    s.cv.notify_all();
}

void SetDenied(const std::string& path, bool denied) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (denied)
        s.denied.insert(path);
    else
        s.denied.erase(path);
}

std::vector<Written> Writes() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return s.writes;
}

int OpenHandles(const std::string& path) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return static_cast<int>(
        std::count_if(s.open.begin(), s.open.end(), [&](const hid_device* d) { return d->path == path; }));
}

int EnumerateCalls() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return s.enumerateCalls;
}

} // namespace fake_hid

using fake_hid::Alive;
using fake_hid::Role;
using fake_hid::S;

extern "C" {

int hid_init(void) {
    return 0;
}
int hid_exit(void) {
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    auto& s = S();
    std::lock_guard lock(s.mutex);
    ++s.enumerateCalls;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const fake_hid::Node& node : s.nodes) {
        if ((node.keyboard && !s.present) || (vendor_id && node.vendorId != vendor_id) ||
            (product_id && node.productId != product_id))
            continue;
        for (const auto& [page, usage] : node.collections) {
            auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
            info->path = fake_hid::Duplicate(node.path);
            info->vendor_id = node.vendorId;
            info->product_id = node.productId;
            info->usage_page = page;
            info->usage = usage;
            info->bus_type = HID_API_BUS_USB;
            *tail = info;
            tail = &info->next;
        }
    }
    return head;
}

void hid_free_enumeration(hid_device_info* devs) {
    while (devs) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs);
        devs = next;
    }
}

hid_device* hid_open_path(const char* path) {
    auto& s = S();
    std::lock_guard lock(s.mutex);
    auto node =
        std::find_if(s.nodes.begin(), s.nodes.end(), [&](const fake_hid::Node& n) { return n.path == path; });
    if (node == s.nodes.end() || (node->keyboard && !s.present)) {
        errno = ENOENT;
        return nullptr;
    }
    if (s.denied.count(path)) {
        errno = EACCES;
        return nullptr;
    }
    auto* device = new hid_device{path, node->role, s.connection, {}};
    s.open.insert(device);
    return device;
}

void hid_close(hid_device* dev) {
    if (!dev)
        return;
    auto& s = S();
    {
        std::lock_guard lock(s.mutex);
        s.open.erase(dev);
    }
    delete dev;
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    auto& s = S();
    pylonet_sim::SimKeyboard* keyboard = nullptr;
    {
        std::lock_guard lock(s.mutex);
        if (!Alive(s, dev))
            return -1;
        s.writes.push_back({dev->path, std::vector<uint8_t>(data, data + length)});
        keyboard = s.keyboard;
    }
    if (!keyboard)
        return -1;
    int32_t accepted = 1;
    if (dev->role == Role::kVendor) {
        const InterfaceSelector vendor =
            fake_hid::SimSelector(pylonet_sim::kSimVendorPage, pylonet_sim::kSimVendorUsage);
        accepted = keyboard->WriteOne(&vendor, data, static_cast<int32_t>(length));
    } else if (dev->role == Role::kIndicator) {
        const InterfaceSelector indicator = fake_hid::SimSelector(0x0008, 0x0089);
        uint32_t unit = 0;
        accepted = keyboard->StatusWrite(&indicator, nullptr, 0, data, static_cast<int32_t>(length), &unit);
    }
    return accepted > 0 ? static_cast<int>(length) : -1;
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
    auto& s = S();
    std::unique_lock lock(s.mutex);
    auto ready = [&] { return !Alive(s, dev) || !dev->input.empty(); };
    if (milliseconds < 0)
        s.cv.wait(lock, ready);
    else
        s.cv.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
    if (!Alive(s, dev))
        return -1;
    if (dev->input.empty())
        return 0;
    std::vector<uint8_t> report = std::move(dev->input.front());
    dev->input.pop_front();
    const size_t n = std::min(length, report.size());
    std::memcpy(data, report.data(), n);
    return static_cast<int>(n);
}

int hid_read(hid_device* dev, unsigned char* data, size_t length) {
    return hid_read_timeout(dev, data, length, -1);
}

const wchar_t* hid_error(hid_device*) {
    return L"fake hidapi";
}

} // extern "C"
