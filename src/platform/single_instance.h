// The single-instance lock: an exclusive flock on the file
// "TM42R08B_Sorvane_Driver" in the runtime folder, held by the first instance
// until it exits or releases it. Only the lock counts: a file left behind by a
// process that died is not locked by anyone and counts as absent.
//
// The two calls mirror the named-mutex pair the start-up relies on: "open
// existing" (is a running instance holding it?) and "create owned".
//
// Thread safety: one owner (the UI thread at start-up and exit). The lock is
// tied to the open file, which is closed on exec, so programs we start never
// inherit it.
#pragma once

#include <string>

namespace velkarn {

constexpr const char* kSingleInstanceName = "TM42R08B_Sorvane_Driver";

class SingleInstanceLock {
public:
    // The lock file in RuntimeFolder(). Without a runtime folder the path is
    // empty: no other copy is found and the lock is never taken.
    SingleInstanceLock();
    explicit SingleInstanceLock(std::string lockPath);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when another open of the lock file (another process, or another
    // SingleInstanceLock) holds the lock right now.
    bool ExistsElsewhere() const;

    // Takes the lock, creating the file (mode 0600) as needed. False when
    // someone else holds it or the file cannot be opened. True at once when
    // this object already owns it.
    bool CreateOwned();

    // Gives the lock up; the file stays (a later start takes it over).
    void Release();

    bool Owned() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace velkarn
