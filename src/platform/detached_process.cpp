#include "platform/detached_process.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velkarn {

bool StartDetached(const std::string& program, const std::vector<std::string>& args) {
    struct stat st {};
    if (program.empty() || ::stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::access(program.c_str(), X_OK) != 0)
        return false;

    // Everything the child needs is prepared before fork.
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.push_back(program);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t middle = ::fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        ::setsid();
        const pid_t child = ::fork();
        if (child != 0)
            ::_exit(child < 0 ? 1 : 0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (null > 2)
                ::close(null);
        }
        ::execve(argv[0], argv.data(), environ);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace velkarn
