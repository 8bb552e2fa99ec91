// Shared pieces of the store tests: a scripted prompts object, an in-memory
// keyboard that logs every command and fails on demand, and a fixture that
// gives each test a private home, data folder and program folder (with a
// language file whose texts name their keys, and a shipped user-mode file).
#pragma once

#include "app/prompts.h"
#include "model/macro.h"
#include "store/keyboard_port.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"

#include <array>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velkarn::test {

struct PromptCall {
    std::string kind; // "ok", "yesno", "topmost", "open", "save"
    std::string text;
    FileDialogRequest request;
};

class ScriptedPrompts final : public Prompts {
public:
    void Ok(std::string_view text, std::string_view) override {
        calls.push_back({"ok", std::string(text), {}});
    }
    bool YesNo(std::string_view text, std::string_view) override {
        calls.push_back({"yesno", std::string(text), {}});
        return yes;
    }
    void TopmostOk(std::string_view text, std::string_view) override {
        calls.push_back({"topmost", std::string(text), {}});
        if (onTopmost)
            onTopmost();
    }
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
        calls.push_back({"open", {}, request});
        return Next();
    }
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
        calls.push_back({"save", {}, request});
        return Next();
    }

    // The texts of the message boxes shown, in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& call : calls)
            if (call.kind == "ok" || call.kind == "topmost" || call.kind == "yesno")
                out.push_back(call.kind + ":" + call.text);
        return out;
    }

    std::deque<std::optional<std::string>> paths; // answers of the file dialogs
    bool yes = false;
    std::vector<PromptCall> calls;
    std::function<void()> onTopmost;

private:
    std::optional<std::string> Next() {
        if (paths.empty())
            return std::nullopt;
        auto path = paths.front();
        paths.pop_front();
        return path;
    }
};

// One command the fake keyboard received.
struct FakeCommand {
    std::string name; // "ReadStatus", "WriteKeyMap", ...
    int bank = -1;
    size_t bytes = 0;
};

class FakeKeyboard final : public KeyboardPort {
public:
    FakeKeyboard();

    int ReadStatus(std::span<uint8_t, kDeviceStatusSize> status) override;
    int ReadKeyMap(std::span<uint8_t, kKeyMapBankSize> map, int bank) override;
    int WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize> map, int bank) override;
    int ReadMacroArea(std::span<uint8_t> bytes) override;
    int WriteMacroArea(std::span<const uint8_t> bytes) override;
    int BeginUpdate() override;
    int EndUpdate() override;
    int ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset) override;

    int ActiveProfileCache() const override { return cache; }
    void SetActiveProfileCache(int profile) override { cache = profile; }
    int MacroCapacity() const override { return MacroCapacityOf(status); }
    int GKeyBank() const override { return bank; }

    std::vector<std::string> Names() const;
    void SetActiveProfile(int profile) { status[kStatusActiveProfile] = static_cast<uint8_t>(profile); }

    bool present = true;
    std::string failCommand; // every command of this name answers -2
    int cache = -1;
    int bank = 0;
    std::array<uint8_t, kDeviceStatusSize> status{};
    std::array<std::array<uint8_t, kKeyMapBankSize>, 3> banks{};
    std::array<uint8_t, 126> lighting{};
    std::vector<uint8_t> macroArea;
    std::vector<uint8_t> lastMacroWrite;
    std::vector<FakeCommand> log;

private:
    int Answer(const std::string& name, int bank, size_t bytes);
};

// A key-button refresher that counts what it was asked to do.
class RecordingView final : public KeyViewSink {
public:
    void RefreshKeyButton(int controlId) override { refreshed.push_back(controlId); }
    void RefreshKeyButtons() override { ++refreshAll; }
    void SetApplyPending(bool pending) override { apply.push_back(pending); }

    std::vector<int> refreshed;
    int refreshAll = 0;
    std::vector<bool> apply;
};

// A macro with `actions` key presses of A and the given name.
MacroRecord MakeMacro(uint16_t id, int actions, std::u16string_view name);

class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;

    std::string DataFolderPath() const;
    std::string StoreFilePath() const;
    // Creates the data folder and an empty profile store file, as the first
    // keyboard arrival would, so SaveProfileStoreFile has a file to replace.
    void CreateStoreFile();

    XdgSandbox m_sandbox;
    TempDir m_program;
    FakeKeyboard m_keyboard;
    ScriptedPrompts m_prompts;
    RecordingView m_view;
    std::unique_ptr<ProfileStore> m_store;
};

// "ok:" + the language file's text for key (the fixture's texts are the keys
// themselves, PROFILE_FORMAT_ERROR being "PROFILE_FORMAT_ERROR %s").
std::string Shown(std::string_view kind, std::string_view text);

} // namespace velkarn::test
