#pragma once
// A script loader that writes down every call it receives.

#include "mirel/util/a_scriptloader.h"

#include <deque>
#include <string>
#include <vector>

class RecordingLoader : public aScriptLoader {
public:
    std::vector<std::string> calls;
    std::string skip; // a header whose first token is this opens a skipped block

protected:
    void onParseBegin(const std::string& path) override { calls.push_back("parse-begin " + path); }
    void onParseEnd(const std::string& path) override { calls.push_back("parse-end " + path); }
    void* onSectionBegin(void* parent, const aTokens& tokens) override {
        calls.push_back("begin " + name(parent) + " " + joined(tokens));
        if (!tokens.empty() && tokens[0] == skip) {
            return nullptr;
        }
        m_names.push_back(tokens.empty() ? std::string("?") : tokens[0]);
        return &m_names.back();
    }
    void onSectionEnd(void* object) override { calls.push_back("end " + name(object)); }
    void onSectionLine(void* object, const aTokens& tokens) override {
        calls.push_back("line " + name(object) + " " + joined(tokens));
    }

private:
    static std::string name(void* object) { return object ? *static_cast<std::string*>(object) : "-"; }
    static std::string joined(const aTokens& tokens) {
        std::string out;
        for (const std::string& t : tokens) {
            out += "[" + t + "]";
        }
        return out;
    }
    std::deque<std::string> m_names;
};
