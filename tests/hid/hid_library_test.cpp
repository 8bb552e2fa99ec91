// libpylonet.so against a fake hidapi that plays the keyboard's hidraw nodes
// over the simulated keyboard: the interfaces are found by usage page and
// usage, a whole Apply goes through the entry points and the callback, and
// unplugging, replugging and a node without access behave.
#include "fake_hidapi.h"
#include "hid_service.h"
#include "pylonet.h"
#include "sim_keyboard.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The fake nodes send no device-manager events, so the library must poll.
// Set before main, while the process has one thread.
const bool kPolling = [] { return ::setenv("PYLONET_HID_HOTPLUG", "poll", 1) == 0; }();

constexpr uint32_t kControlTag = 0x4354524C;  // "CTRL"
constexpr uint32_t kConsumerTag = 0x434F4E53; // "CONS"
constexpr uint16_t kVendorId = VELKARN_KEYBOARD_VENDOR_ID;
constexpr uint16_t kProductId = VELKARN_KEYBOARD_PRODUCT_ID;
const std::string kVendorNode = "/dev/fake-hidraw3";
const std::string kConsumerNode = "/dev/fake-hidraw1";
const std::string kIndicatorNode = "/dev/fake-hidraw4";
constexpr auto kWait = std::chrono::seconds(5);

InterfaceSelector Selector(uint16_t page, uint16_t usage, uint16_t vendor = kVendorId,
                           uint16_t product = kProductId, uint32_t flags = kPylonetSelectorFlags) {
    return InterfaceSelector{flags, vendor, product, page, usage, 0};
}
const InterfaceSelector kVendor = Selector(0xFF1C, 0x0092);
const InterfaceSelector kConsumer = Selector(0x000C, 0x0001);
const InterfaceSelector kIndicator = Selector(0x0008, 0x0089);

struct Event {
    uint32_t kind = 0;
    uint32_t tag = 0;
    uint32_t count = 0;
    std::vector<uint8_t> bytes;
};

// Everything the library reports to the callback, in order.
class Recorder {
public:
    static Recorder& Get() {
        static Recorder recorder;
        return recorder;
    }
    static int32_t Callback(const ServiceNotification* n) {
        Event e{n->kind, n->request->tag, n->request->count, {}};
        if (n->kind == kPylonetNotifyInput) {
            // The control channel reads `data`, the consumer channel the
            // input block; both must point at the received bytes.
            const uint8_t* bytes = e.tag == kConsumerTag ? n->request->input->data : n->request->data;
            e.bytes.assign(bytes, bytes + n->request->count);
        }
        Get().Add(std::move(e));
        return 1;
    }
    void Add(Event e) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(e));
        m_cv.notify_all();
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }
    std::vector<Event> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    // Waits for the first event from `from` on that satisfies `match`.
    std::optional<Event> WaitFor(std::function<bool(const Event&)> match, size_t from = 0) {
        std::unique_lock lock(m_mutex);
        std::optional<Event> found;
        m_cv.wait_for(lock, kWait, [&] {
            for (size_t i = from; i < m_events.size(); ++i)
                if (match(m_events[i])) {
                    found = m_events[i];
                    return true;
                }
            return false;
        });
        return found;
    }
    size_t Size() {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Event> m_events;
};

// A vendor command report: id 0x04, sum of bytes 3..63 in bytes 1..2.
std::vector<uint8_t> Command(uint8_t code, uint16_t offset = 0, const std::vector<uint8_t>& data = {}) {
    std::vector<uint8_t> r(kPylonetReportSize, 0);
    r[0] = 0x04;
    r[3] = code;
    r[4] = static_cast<uint8_t>(data.size());
    r[5] = static_cast<uint8_t>(offset);
    r[6] = static_cast<uint8_t>(offset >> 8);
    std::copy(data.begin(), data.end(), r.begin() + 8);
    uint16_t sum = pylonet_sim::ReportSum(r.data());
    r[1] = static_cast<uint8_t>(sum);
    r[2] = static_cast<uint8_t>(sum >> 8);
    return r;
}

pylonet_sim::SimOptions QuietSim() {
    pylonet_sim::SimOptions o;
    o.plugged = true;
    return o;
}

int32_t CountFor(const InterfaceSelector& s) {
    return RequestGetDeviceCount(&s, nullptr, 0, 0, nullptr);
}

int32_t Write(const std::vector<uint8_t>& report) {
    return RequestWriteOne(&kVendor, nullptr, 0, report.data(), static_cast<int32_t>(report.size()), 0,
                           nullptr);
}

class HidLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kPolling);
        Recorder::Get().Clear();
        m_sim = std::make_unique<pylonet_sim::SimKeyboard>(QuietSim());
        fake_hid::Attach(*m_sim, fake_hid::KeyboardNodes(kVendorId, kProductId));
        ASSERT_GT(Init(0), 0);
    }
    void TearDown() override {
        End();
        fake_hid::Detach();
        m_sim.reset();
    }

    uint32_t Register(const InterfaceSelector& s, uint32_t tag) {
        uint32_t unit = 0;
        RequestAsyncRead(&s, &Recorder::Callback, tag, 0, &unit);
        EXPECT_NE(unit, 0u);
        return unit;
    }
    void RegisterBoth() {
        Register(kConsumer, kConsumerTag);
        Register(kVendor, kControlTag);
    }

    // One command and its reply, as the report transaction runs it.
    std::optional<Event> Transact(const std::vector<uint8_t>& report) {
        size_t from = Recorder::Get().Size();
        if (Write(report) <= 0)
            return std::nullopt;
        return Recorder::Get().WaitFor(
            [&](const Event& e) {
                return e.kind == kPylonetNotifyInput && e.tag == kControlTag && e.bytes.size() > 3 &&
                       e.bytes[3] == report[3];
            },
            from);
    }
    std::optional<Event> WaitForCount(uint32_t tag, uint32_t count, size_t from = 0) {
        return Recorder::Get().WaitFor(
            [&](const Event& e) {
                return e.kind == kPylonetNotifyDeviceCount && e.tag == tag && e.count == count;
            },
            from);
    }

    std::unique_ptr<pylonet_sim::SimKeyboard> m_sim;
};

TEST_F(HidLibraryTest, SelectorsFindTheirInterfaceAmongSeveral) {
    struct Case {
        const char* what;
        InterfaceSelector selector;
        int32_t count;
    };
    const Case cases[] = {
        {"vendor interface, behind a decoy of the same page", kVendor, 1},
        {"consumer collection", kConsumer, 1},
        {"second collection of the consumer node", Selector(0x0001, 0x0080), 1},
        {"indicator", kIndicator, 1},
        {"vendor page, other usage", Selector(0xFF1C, 0x0093), 0},
        {"other product", Selector(0xFF1C, 0x0092, kVendorId, kProductId + 1), 0},
        {"no vendor and product named", Selector(0xFF1C, 0x0092, kVendorId, kProductId, 0x0C), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountFor(c.selector), c.count) << c.what;

    RegisterBoth();
    auto reply = Transact(Command(0x0D));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes.size(), 64u);
    EXPECT_EQ(reply->bytes[7], 0x00);

    const uint8_t indicator[2] = {0x05, 0x03};
    uint32_t unit = 0;
    EXPECT_GT(RequestStatusWrite(&kIndicator, &Recorder::Callback, 0x004C4544, indicator, 2, 0, &unit), 0);
    EXPECT_NE(unit, 0u);
    m_sim->SendConsumerCode(0x02FF);
    auto consumer = Recorder::Get().WaitFor([](const Event& e) { return e.tag == kConsumerTag; });
    ASSERT_TRUE(consumer);
    ASSERT_GE(consumer->bytes.size(), 2u);
    EXPECT_EQ(consumer->bytes[0], 0xFF);
    EXPECT_EQ(consumer->bytes[1], 0x02);

    // Each report went to its own node, whole, and nothing to the decoys.
    auto writes = fake_hid::Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].path, kVendorNode);
    EXPECT_EQ(writes[0].bytes, Command(0x0D));
    EXPECT_EQ(writes[1].path, kIndicatorNode);
    EXPECT_EQ(writes[1].bytes, std::vector<uint8_t>({0x05, 0x03}));
    EXPECT_EQ(m_sim->IndicatorWrites(), std::vector<std::vector<uint8_t>>({{0x05, 0x03}}));
    // Replies only on the control channel, the key event only on the consumer channel.
    for (const Event& e : Recorder::Get().Events()) {
        if (e.tag == kConsumerTag)
            EXPECT_EQ(e.bytes[0], 0xFF);
        else
            EXPECT_EQ(e.bytes[3], 0x0D);
    }
}

TEST_F(HidLibraryTest, BadRequestsAreRefused) {
    const auto report = Command(0x0D);
    const std::vector<uint8_t> tooLong(65, 0x04);
    EXPECT_EQ(RequestWriteOne(nullptr, nullptr, 0, report.data(), 64, 0, nullptr), 0);
    EXPECT_EQ(RequestWriteOne(&kVendor, nullptr, 0, nullptr, 64, 0, nullptr), 0);
    EXPECT_EQ(RequestWriteOne(&kVendor, nullptr, 0, report.data(), 0, 0, nullptr), 0);
    EXPECT_EQ(RequestWriteOne(&kVendor, nullptr, 0, tooLong.data(), 65, 0, nullptr), 0);
    const InterfaceSelector absent = Selector(0xFF1C, 0x0093);
    EXPECT_EQ(RequestWriteOne(&absent, nullptr, 0, report.data(), 64, 0, nullptr), 0);
    uint32_t unit = 0;
    EXPECT_EQ(RequestAsyncRead(&kVendor, nullptr, kControlTag, 0, &unit), 0);
    EXPECT_EQ(DeleteRequestFromUnitId(0), 0);
    EXPECT_TRUE(fake_hid::Writes().empty());
}

TEST_F(HidLibraryTest, ApplySizedExchangeGoesThrough) {
    RegisterBoth();
    std::vector<uint8_t> macro(200);
    for (size_t i = 0; i < macro.size(); ++i)
        macro[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> keyMaps(3 * 512);
    for (size_t i = 0; i < keyMaps.size(); ++i)
        keyMaps[i] = static_cast<uint8_t>(i * 13 + 5);

    std::vector<std::vector<uint8_t>> reports{Command(0x01)};
    for (size_t at = 0; at < macro.size(); at += 56)
        reports.push_back(Command(0x0A, static_cast<uint16_t>(at),
                                  {macro.begin() + at, macro.begin() + std::min(at + 56, macro.size())}));
    for (size_t bank = 0; bank < 3; ++bank)
        for (size_t at = 0; at < 512; at += 56) {
            auto first = keyMaps.begin() + bank * 512 + at;
            reports.push_back(Command(0x08, static_cast<uint16_t>(bank * 512 + at),
                                      {first, first + std::min<size_t>(56, 512 - at)}));
        }
    reports.push_back(Command(0x02));
    ASSERT_EQ(reports.size(), 1u + 4u + 30u + 1u);

    for (size_t i = 0; i < reports.size(); ++i) {
        auto reply = Transact(reports[i]);
        ASSERT_TRUE(reply) << "no reply to report " << i;
        EXPECT_EQ(reply->bytes[7], 0x00) << "report " << i;
    }
    const auto memory = m_sim->Memory();
    EXPECT_TRUE(std::equal(keyMaps.begin(), keyMaps.end(), memory.keyMaps.begin()));
    EXPECT_TRUE(std::equal(macro.begin(), macro.end(), memory.macro.begin()));
    EXPECT_EQ(m_sim->Received().size(), reports.size());
    // One reply per report: nothing duplicated by a second handle on the node.
    size_t replies = 0;
    for (const Event& e : Recorder::Get().Events())
        replies += e.kind == kPylonetNotifyInput && e.tag == kControlTag;
    EXPECT_EQ(replies, reports.size());
}

TEST_F(HidLibraryTest, UnplugEndsTheReadersAndReplugBringsThemBack) {
    RegisterBoth();
    ASSERT_TRUE(Transact(Command(0x0D)));
    ASSERT_EQ(fake_hid::OpenHandles(kVendorNode), 2); // the reader and the writer

    // Unplugged while the control reader waits for a reply that never comes.
    pylonet_sim::Faults silent;
    silent.dropAll = true;
    m_sim->SetFaults(silent);
    ASSERT_GT(Write(Command(0x03)), 0);
    m_sim->Plug(false);
    ASSERT_TRUE(WaitForCount(kControlTag, 0));
    EXPECT_TRUE(WaitForCount(kConsumerTag, 0));
    EXPECT_EQ(CountFor(kVendor), 0);
    EXPECT_EQ(Write(Command(0x0D)), 0);
    EXPECT_EQ(fake_hid::OpenHandles(kVendorNode), 0);
    EXPECT_EQ(fake_hid::OpenHandles(kConsumerNode), 0);

    m_sim->SetFaults({});
    const size_t before = Recorder::Get().Size();
    m_sim->Plug(true);
    ASSERT_TRUE(WaitForCount(kControlTag, 1, before));
    // Each reader tells once it has its node again; key events sent before
    // that are lost, as on the real keyboard.
    ASSERT_TRUE(WaitForCount(kConsumerTag, 1, before));
    EXPECT_EQ(CountFor(kVendor), 1);
    // The readers are back: a reply and a key event arrive again.
    auto reply = Transact(Command(0x0D));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes[7], 0x00);
    m_sim->SendConsumerCode(0x0401);
    EXPECT_TRUE(Recorder::Get().WaitFor(
        [](const Event& e) {
            return e.tag == kConsumerTag && e.kind == kPylonetNotifyInput && e.bytes[0] == 0x01;
        },
        before));

    // Each change was told once per channel.
    int controlCounts = 0;
    for (const Event& e : Recorder::Get().Events())
        controlCounts += e.kind == kPylonetNotifyDeviceCount && e.tag == kControlTag;
    EXPECT_EQ(controlCounts, 2);
}

TEST_F(HidLibraryTest, DeletedReadStopsDelivering) {
    const uint32_t unit = Register(kVendor, kControlTag);
    ASSERT_TRUE(Transact(Command(0x0D)));
    EXPECT_EQ(DeleteRequestFromUnitId(unit), 1);
    EXPECT_EQ(fake_hid::OpenHandles(kVendorNode), 1); // only the writer's
    const size_t before = Recorder::Get().Size();
    ASSERT_GT(Write(Command(0x0D)), 0);
    m_sim->Drain();
    EXPECT_EQ(Recorder::Get().Size(), before);
}

// The program answers the keyboard's bank toggle from inside the consumer
// callback: it deletes the previous indicator request and writes the new
// bank bytes, all on the library's reader thread.
std::atomic<uint32_t> g_indicatorUnit{0};
std::atomic<uint8_t> g_bank{0x02};
int32_t ToggleBank(const ServiceNotification* n) {
    if (n->kind == kPylonetNotifyInput && n->request->input->data[0] == 0xFF) {
        const uint8_t bytes[2] = {0x05, static_cast<uint8_t>(g_bank ^= 1)};
        uint32_t unit = g_indicatorUnit;
        DeleteRequestFromUnitId(unit);
        RequestStatusWrite(&kIndicator, &ToggleBank, 0x004C4544, bytes, 2, 0, &unit);
        g_indicatorUnit = unit;
    }
    return Recorder::Callback(n);
}

TEST_F(HidLibraryTest, CallbackMayCallBackIntoTheLibrary) {
    g_bank = 0x02;
    g_indicatorUnit = 0;
    uint32_t unit = 0;
    RequestAsyncRead(&kConsumer, &ToggleBank, kConsumerTag, 0, &unit);
    Register(kVendor, kControlTag);
    m_sim->SendConsumerCode(0x02FF);
    m_sim->SendConsumerCode(0x02FF);
    auto second = [](const Event& e) { return e.tag == kConsumerTag && e.kind == kPylonetNotifyInput; };
    auto first = Recorder::Get().WaitFor(second);
    ASSERT_TRUE(first);
    // The second toggle's event is the next consumer input after the first.
    size_t index = 0;
    for (const Event& e : Recorder::Get().Events()) {
        ++index;
        if (second(e))
            break;
    }
    ASSERT_TRUE(Recorder::Get().WaitFor(second, index));
    EXPECT_EQ(m_sim->IndicatorWrites(), std::vector<std::vector<uint8_t>>({{0x05, 0x03}, {0x05, 0x02}}));
    // The reader that called back is still serving replies.
    EXPECT_TRUE(Transact(Command(0x0D)));
}

TEST_F(HidLibraryTest, PermissionDeniedIsReportedOnceWithTheRule) {
    fake_hid::SetDenied(kVendorNode, true);
    testing::internal::CaptureStderr();
    Register(kVendor, kControlTag);
    EXPECT_EQ(Write(Command(0x0D)), 0);
    EXPECT_EQ(Write(Command(0x0D)), 0);
    // The reader retries about once a second; give it one retry.
    std::this_thread::sleep_for(pylonet_hid::HidService::kReopenInterval + std::chrono::milliseconds(300));
    const std::string err = testing::internal::GetCapturedStderr();

    const std::string rule = pylonet_hid::InstalledRulePath();
    EXPECT_NE(err.find(kVendorNode + " cannot be opened: permission denied"), std::string::npos) << err;
    size_t mentions = 0;
    for (size_t at = err.find(rule); at != std::string::npos; at = err.find(rule, at + 1))
        ++mentions;
    EXPECT_EQ(mentions, 1u) << err;
    EXPECT_NE(err.find("sudo udevadm control --reload && sudo udevadm trigger"), std::string::npos);

    // Access granted (the rule installed): the reader gets in by itself.
    fake_hid::SetDenied(kVendorNode, false);
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (fake_hid::OpenHandles(kVendorNode) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(fake_hid::OpenHandles(kVendorNode), 1);
    auto reply = Transact(Command(0x0D));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes[7], 0x00);
}

// The program asks for the count before each of a download's thousand
// reports. While device events keep a known keyboard's interface list
// current, counting must not enumerate again; polling enumerates every time.
TEST(HidCountTest, DeviceEventsSpareTheEnumerationPerCount) {
    pylonet_sim::SimKeyboard sim(QuietSim());
    fake_hid::Attach(sim, fake_hid::KeyboardNodes(kVendorId, kProductId));
    pylonet_hid::HidService service;
    ::unsetenv("PYLONET_HID_HOTPLUG");
    const int32_t started = service.Init();
    ::setenv("PYLONET_HID_HOTPLUG", "poll", 1);
    ASSERT_EQ(started, 1);

    const int before = fake_hid::EnumerateCalls();
    EXPECT_EQ(service.DeviceCount(&kVendor), 1);
    const int first = fake_hid::EnumerateCalls();
    EXPECT_GE(first, before + 1) << "a pair not seen before is enumerated";
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(service.DeviceCount(&kVendor), 1);
    if (service.Polling())
        EXPECT_GE(fake_hid::EnumerateCalls(), first + 20);
    else
        EXPECT_EQ(fake_hid::EnumerateCalls(), first);
    service.End();
    fake_hid::Detach();
}

TEST(HidRuleTest, TagsExactlyThisKeyboardForTheSeat) {
    std::ifstream in(VELKARN_UDEV_RULE_FILE);
    ASSERT_TRUE(in) << VELKARN_UDEV_RULE_FILE;
    std::stringstream text;
    text << in.rdbuf();
    const std::string rule = text.str();
    char ids[64];
    std::snprintf(ids, sizeof ids, "ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\"", kVendorId,
                  kProductId);
    EXPECT_NE(rule.find(ids), std::string::npos) << rule;
    EXPECT_NE(rule.find("SUBSYSTEM==\"hidraw\""), std::string::npos);
    EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);
    EXPECT_EQ(rule.find("MODE"), std::string::npos);
    const std::string name =
        std::string(VELKARN_UDEV_RULE_FILE).substr(std::string(VELKARN_UDEV_RULE_FILE).rfind('/') + 1);
    EXPECT_LT(name, "73-seat-late.rules");
    EXPECT_EQ(pylonet_hid::InstalledRulePath().substr(pylonet_hid::InstalledRulePath().rfind('/') + 1), name);
}

TEST(HidRuleTest, HintNamesTheRuleOfTheInstallTheLibraryRunsFrom) {
    const struct {
        const char* library;
        const char* rule;
    } cases[] = {
        {"/usr/lib/velkarn/libpylonet.so", "/usr/lib/udev/rules.d/70-velkarn-keyboard.rules"},
        {"/opt/kb/lib/velkarn/libpylonet.so", "/opt/kb/lib/udev/rules.d/70-velkarn-keyboard.rules"},
        {"/work/build/bin/libpylonet.so", ""},
        {"/usr/lib/other/libpylonet.so", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pylonet_hid::RulePathBeside(c.library), c.rule) << c.library;
}

} // namespace
