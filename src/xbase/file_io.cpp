#include "xbase/file_io.h"

#include <unistd.h>

#include <cerrno>

namespace corvane::xbase {

bool preadAll(int fd, char* buf, size_t len, off_t offset) {
    while (len > 0) {
        ssize_t n = ::pread(fd, buf, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buf += n;
        len -= size_t(n);
        offset += n;
    }
    return true;
}

bool pwriteAll(int fd, const char* buf, size_t len, off_t offset) {
    while (len > 0) {
        ssize_t n = ::pwrite(fd, buf, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buf += n;
        len -= size_t(n);
        offset += n;
    }
    return true;
}

}  // namespace corvane::xbase
