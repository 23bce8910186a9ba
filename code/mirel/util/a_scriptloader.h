#pragma once
// The base of every reader of brace-structured script files.
//
// A script is read line by line: text between two dollar signs names a macro
// set by #define and is replaced by its value; #include "file" reads another
// script in place; ';' starts a comment line. A line followed by a line holding
// only '{' opens a block with that line as its header; the lines up to the
// matching '}' belong to the block. The loader splits lines into tokens (blank
// separated, or quoted) and hands blocks and lines to the derived class, which
// gives them their meaning.
//
// One load reads at most aLoadBudget's files and bytes of text (the text its
// macros add counted in) and then stops; blocks nested deeper than
// kMaxBlockDepth are skipped whole.

#include "mirel/util/a_loadbudget.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class aStringList;

using aTokens = std::vector<std::string>;

class aScriptLoader {
public:
    aScriptLoader();
    virtual ~aScriptLoader();
    aScriptLoader(const aScriptLoader&) = delete;
    aScriptLoader& operator=(const aScriptLoader&) = delete;

    // onParseBegin, the whole file from a clean state, onParseEnd.
    void load(const std::string& path);
    // As load, with the top-level text given in memory; `path` names it in messages.
    void loadBuffer(const std::string& path, const char* data, size_t size);

    // Expanded lines longer than this are refused as errors.
    static constexpr size_t kMaxLine = 16384;
    // Includes nested deeper than this are refused.
    static constexpr int kMaxIncludeDepth = 32;
    // A block opened inside this many open blocks is skipped with everything in it.
    static constexpr size_t kMaxBlockDepth = 64;

protected:
    virtual void onParseBegin(const std::string& path);
    virtual void onParseEnd(const std::string& path);
    // The new block's object; null skips the block and everything inside it.
    virtual void* onSectionBegin(void* parent, const aTokens& tokens) = 0;
    virtual void onSectionEnd(void* object) = 0;
    virtual void onSectionLine(void* object, const aTokens& tokens) = 0;

    // Parses one file; `top` starts from a clean state, otherwise (an include)
    // the pending line, the open blocks and the defines carry on.
    void parseFile(const std::string& path, bool top);

private:
    void parseLines(const std::string& path, aStringList& lines, bool top);
    bool expandMacros(std::string& line) const;
    void include(const std::string& from, int lineNo, const std::string& path);
    void openBlock(const std::string& path, int lineNo);
    void closeBlock();
    void ordinaryLine(const std::string& trimmed);
    void logError(const std::string& path, int lineNo) const;

    std::string m_line;
    aTokens m_tokens;
    std::vector<void*> m_blocks;
    std::map<std::string, std::string> m_defines;
    std::vector<std::string> m_files; // the files being read, outermost first
    aLoadBudget m_budget;             // of the load under way
    bool m_stopped = false;           // the budget ran out: the load reads no more lines
};
