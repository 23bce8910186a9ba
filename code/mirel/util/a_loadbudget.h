#pragma once
// The work one load of a data file may do, everything it includes counted in:
// how many files it reads, how many bytes of text it reads or makes (macro
// expansion) and how much memory it keeps of them (a file of short lines
// kept as keys costs many times its size). Cycle and depth guards alone do not bound a load whose includes
// fan out (each file including the next twice, twenty deep, is a million
// files); a load that runs out stops following includes and says so once.
// The file read last may take a load past its bytes, by at most the file
// server's limit for one file.

#include <cstddef>

class aLoadBudget {
public:
    static constexpr size_t kMaxFiles = 1000;
    static constexpr size_t kMaxBytes = size_t(64) << 20;
    static constexpr size_t kMaxKept = size_t(16) << 20;

    explicit aLoadBudget(size_t maxFiles = kMaxFiles, size_t maxBytes = kMaxBytes, size_t maxKept = kMaxKept)
        : m_maxFiles(maxFiles), m_maxBytes(maxBytes), m_maxKept(maxKept) {}

    void reset() {
        m_files = 0;
        m_bytes = 0;
        m_kept = 0;
        m_complained = false;
    }

    // Counts one more file; false (nothing counted) when none may be read.
    bool takeFile() {
        if (spent()) {
            return false;
        }
        ++m_files;
        return true;
    }
    // Counts bytes read or made; false once the budget is spent.
    bool spend(size_t bytes) {
        m_bytes = bytes < m_maxBytes - m_bytes ? m_bytes + bytes : m_maxBytes;
        return m_bytes < m_maxBytes;
    }
    // Counts memory kept, when it fits; false (nothing counted) when it does not.
    bool keep(size_t bytes) {
        if (bytes > m_maxKept - m_kept) {
            m_kept = m_maxKept;
            return false;
        }
        m_kept += bytes;
        return true;
    }
    bool spent() const { return m_files >= m_maxFiles || m_bytes >= m_maxBytes || m_kept >= m_maxKept; }

    // One log line per load: true the first time it is asked.
    bool firstComplaint() {
        const bool first = !m_complained;
        m_complained = true;
        return first;
    }

private:
    size_t m_maxFiles;
    size_t m_maxBytes;
    size_t m_maxKept;
    size_t m_files = 0;
    size_t m_bytes = 0;
    size_t m_kept = 0;
    bool m_complained = false;
};
