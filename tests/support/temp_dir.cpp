#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace velkarn::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/velkarn-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot create a temporary folder from " << pattern;
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only on purpose; give the owner access back so removal works.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(m_path.c_str(), 0700);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::File(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    const std::string path = File(name);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (!WriteWholeFile(path, bytes))
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::optional<std::string> TempDir::Read(std::string_view name) const {
    return ReadWholeFile(File(name));
}

EnvGuard::EnvGuard(std::string name, std::optional<std::string> value) : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str()))
        m_old = old;
    if (value)
        ::setenv(m_name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

EnvGuard::~EnvGuard() {
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

XdgSandbox::XdgSandbox()
    : m_home("HOME", m_root.File("home")), m_config("XDG_CONFIG_HOME", m_root.File("config")),
      m_data("XDG_DATA_HOME", m_root.File("data")), m_runtime("XDG_RUNTIME_DIR", m_root.File("run")),
      m_lcAll("LC_ALL", std::nullopt), m_lcMessages("LC_MESSAGES", std::nullopt),
      m_lang("LANG", std::nullopt) {
    for (const char* sub : {"home", "config", "data", "run"})
        ::mkdir(m_root.File(sub).c_str(), 0700);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace velkarn::test
