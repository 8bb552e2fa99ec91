// Every message box and file dialog of the program goes through this
// interface, so that the Qt-free code can ask the user and the tests can
// answer with a script instead of waiting for a person.
//
// The Qt implementation (src/skin) shows real dialogs and must be called on
// the UI thread; callers on other threads hand the request to the UI thread
// first. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkarn {

struct FileDialogRequest {
    std::string defaultExtension; // without the dot, e.g. "fwc"
    std::string initialName;      // e.g. "*.fwc" or a full path
    std::string filter;           // Windows-style "(*.fwc)|*.fwc|(*.*)|*.*||"
    std::string initialFolder;    // empty: the current folder
    bool confirmOverwrite = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with an OK button.
    virtual void Ok(std::string_view text, std::string_view caption = {}) = 0;
    // A message box with Yes and No, No being the default. True for Yes.
    virtual bool YesNo(std::string_view text, std::string_view caption = {}) = 0;
    // A message box with an OK button that stays above other windows.
    virtual void TopmostOk(std::string_view text, std::string_view caption = {}) = 0;
    // File dialogs: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
};

} // namespace velkarn
