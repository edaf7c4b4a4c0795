#include "report/results_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// While the temporary file exists: an interrupt waits until it is renamed or
// removed, and a file-size limit makes the write fail instead of ending the
// process, so that no temporary file is left behind.
class SignalGuard {
public:
    SignalGuard() {
        sigset_t deferred;
        sigemptyset(&deferred);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&deferred, signal);
        pthread_sigmask(SIG_BLOCK, &deferred, &saved_mask_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &saved_xfsz_);
    }
    ~SignalGuard() {
        sigaction(SIGXFSZ, &saved_xfsz_, nullptr);
        pthread_sigmask(SIG_SETMASK, &saved_mask_, nullptr);
    }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

private:
    sigset_t saved_mask_;
    struct sigaction saved_xfsz_ {};
};

std::string failure(const std::string& path, const char* what, int error) {
    return "Error: " + path + ": " + what + ": " + std::strerror(error);
}

}  // namespace

std::string replace_file(const std::string& path, const std::string& content,
                         WriteCall write_call) {
    if (write_call == nullptr) write_call = ::write;
    const SignalGuard guard;

    // Beside the target, so that the rename stays within one file system.
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return failure(path, "cannot create a temporary file beside it", errno);

    const auto abandon = [&](const char* what, int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure(path, what, error);
    };

    // mkstemp creates the file private to its owner; give it the mode that a
    // plainly created file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) return abandon("cannot set its permissions", errno);

    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write_call(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon("cannot write", errno);
        }
        if (n == 0) return abandon("cannot write", EIO);
        written += static_cast<std::size_t>(n);
    }
    // On disk before the rename, so that a crash cannot leave an empty file
    // in place of the old one.
    if (::fsync(fd) != 0) return abandon("cannot write", errno);

    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failure(path, "cannot write", error);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failure(path, "cannot replace it", error);
    }
    return "";
}
