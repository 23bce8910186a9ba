#include "mirel/kernel/a_cmdline.h"

#include "mirel/kernel/a_application.h"

#include "mirel/base/a_log.h"

#include <cstring>

namespace {
const char kInvalid[] = "invalid";
}

aCmdLine::aCmdLine() {
    m_arguments[0] = kInvalid;
    if (!aApplication::getInstance()) {
        a_logString("aCmdLine. Error, aApplication object not created!");
        return;
    }
    if (const char* text = aApplication::getCommandLine()) {
        m_text = text;
        split();
    }
}

aCmdLine::aCmdLine(const std::string& commandLine) : m_text(commandLine) {
    m_arguments[0] = kInvalid;
    split();
}

const char* aCmdLine::getArgument(int index) const {
    return (index >= 0 && index < m_count) ? m_arguments[index] : "";
}

void aCmdLine::split() {
    // The owned copy is cut in place: each argument ends where a terminator
    // has been written over its closing quote or separator.
    char* p = m_text.data();
    char* const end = p + m_text.size();
    while (m_count < kMaxArguments && p < end) {
        while (p < end && (*p == ' ' || *p == '\t')) {
            ++p;
        }
        if (p < end && *p == '"') {
            char* close = static_cast<char*>(std::memchr(p + 1, '"', static_cast<size_t>(end - p - 1)));
            if (close) {
                *close = '\0';
                m_arguments[m_count++] = p + 1;
                p = close + 1;
                continue;
            }
            ++p; // no closing quote: the rest is read unquoted
        }
        char* stop = p;
        while (stop < end && !std::strchr(" \r\n\t", *stop)) {
            ++stop;
        }
        m_arguments[m_count++] = p;
        if (stop == end) {
            break;
        }
        *stop = '\0';
        p = stop + 1;
    }
}
