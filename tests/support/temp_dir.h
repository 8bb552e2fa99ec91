// Test helpers: a private temporary folder removed with everything in it at
// the end of the test, an environment variable set for the length of a
// scope, and a sandbox that points HOME and the XDG folders at a temporary
// folder so no test ever touches the real home.
//
// Thread safety: test-thread only. EnvGuard changes the process environment,
// so tests that use it must not run threads that read the environment.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkarn::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path of name inside the folder (not created).
    std::string File(std::string_view name) const;
    // Writes bytes to name (creating parent folders); returns the full path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    // Whole content of name, nullopt when it cannot be read.
    std::optional<std::string> Read(std::string_view name) const;

private:
    std::string m_path;
};

// Sets (or, with nullopt, unsets) one environment variable and restores the
// previous state when it goes out of scope.
class EnvGuard {
public:
    EnvGuard(std::string name, std::optional<std::string> value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR (mode 0700) inside
// a fresh temporary folder, and LC_ALL/LC_MESSAGES/LANG unset, for one test.
class XdgSandbox {
public:
    XdgSandbox();

    const TempDir& Root() const { return m_root; }
    std::string ConfigHome() const { return m_root.File("config"); }
    std::string DataHome() const { return m_root.File("data"); }
    std::string RuntimeDir() const { return m_root.File("run"); }

private:
    TempDir m_root;
    EnvGuard m_home;
    EnvGuard m_config;
    EnvGuard m_data;
    EnvGuard m_runtime;
    EnvGuard m_lcAll;
    EnvGuard m_lcMessages;
    EnvGuard m_lang;
};

// Reads a whole file; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes a whole file directly (no temporary); false on failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace velkarn::test
