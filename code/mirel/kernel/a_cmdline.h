#pragma once
// The command line cut into arguments. Argument 0 is always "invalid"; at most
// 64 arguments (with argument 0) are kept.

#include <string>

class aCmdLine {
public:
    static constexpr int kMaxArguments = 64;

    // The application object's command line; without an application object
    // there is none, which is logged, and only argument 0 is held.
    aCmdLine();
    explicit aCmdLine(const std::string& commandLine);
    aCmdLine(const aCmdLine&) = delete;
    aCmdLine& operator=(const aCmdLine&) = delete;

    int getCount() const { return m_count; }
    // The argument at index, "" outside 0 .. count - 1.
    const char* getArgument(int index) const;

private:
    void split();

    std::string m_text;
    const char* m_arguments[kMaxArguments] = {};
    int m_count = 1;
};
