#include "splash_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace pellucid {

FileRead ReadPlainFile(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    // Opened without waiting, then checked: nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileRead::NotAFile;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileRead::NotAFile;
    }
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return FileRead::TooLarge;
    }
    // The file may grow while it is read: never more than the limit and one byte.
    out.resize(static_cast<size_t>(st.st_size) + 1);
    size_t got = 0;
    for (;;) {
        if (got == out.size()) {
            if (out.size() > maxBytes)
                break;
            out.resize(std::min(maxBytes + 1, out.size() + 65536));
        }
        const ssize_t n = ::read(fd, &out[got], out.size() - got);
        if (n < 0) {
            ::close(fd);
            out.clear();
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    if (got > maxBytes) {
        out.clear();
        return FileRead::TooLarge;
    }
    return FileRead::Ok;
}

} // namespace pellucid
