#pragma once
// A host file descriptor that closes itself when it goes out of scope; -1 holds nothing.

#include <unistd.h>

namespace dovrane::platform {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd;
};

}  // namespace dovrane::platform
