#pragma once

#include <QtGlobal>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Makes the file system refuse what permission bits forbid, also to root: drops the
// capabilities that override them from this thread's effective set until destroyed.
// Does nothing for other users, whom the bits bind anyway.
class PermissionBitsApply {
public:
    PermissionBitsApply() {
        if (geteuid() != 0) {
            m_ok = true;
            return;
        }
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionBitsApply() {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionBitsApply(const PermissionBitsApply&) = delete;
    PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
    bool m_dropped = false;
};

// A full disk, as far as this process can tell: no file it writes may grow past
// limit bytes until destroyed (writes beyond fail with EFBIG instead of raising SIGXFSZ).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit reduced = m_saved;
        reduced.rlim_cur = limit;
        m_ok = setrlimit(RLIMIT_FSIZE, &reduced) == 0;
    }
    ~FileSizeLimit() {
        if (m_ok)
            setrlimit(RLIMIT_FSIZE, &m_saved);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
};
