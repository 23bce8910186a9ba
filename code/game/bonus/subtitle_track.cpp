#include "game/bonus/subtitle_track.h"

#include "mirel/base/a_utf.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/util/a_stringlist.h"

#include <cstdint>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isSpace(char c) {
    return isBlank(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads blanks and then a decimal integer with an optional sign, as "%d"
// does; the value saturates instead of overflowing.
bool readNumber(const std::string& s, size_t& at, double& value) {
    while (at < s.size() && isSpace(s[at]))
        ++at;
    bool negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-'))
        negative = s[at++] == '-';
    if (at >= s.size() || s[at] < '0' || s[at] > '9')
        return false;
    double v = 0.0;
    for (; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at) {
        if (v < 1e12)
            v = v * 10.0 + double(s[at] - '0');
    }
    value = negative ? -v : v;
    return true;
}

bool readChar(const std::string& s, size_t& at, char c) {
    if (at >= s.size() || s[at] != c)
        return false;
    ++at;
    return true;
}

// "h:m:s,ms" in seconds.
bool readTime(const std::string& s, size_t& at, double& seconds) {
    double h = 0, m = 0, sec = 0, ms = 0;
    if (!readNumber(s, at, h) || !readChar(s, at, ':') || !readNumber(s, at, m) || !readChar(s, at, ':') ||
        !readNumber(s, at, sec) || !readChar(s, at, ',') || !readNumber(s, at, ms))
        return false;
    seconds = h * 3600.0 + m * 60.0 + sec + ms / 1000.0;
    return true;
}

bool isNumberLine(const std::string& line) {
    size_t digits = 0;
    for (char c : line) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (!isBlank(c))
            return false;
    }
    return digits > 0;
}

} // namespace

bool SubtitleTrack::ParseTimeLine(const std::string& line, double& start, double& end) {
    size_t at = 0;
    if (!readTime(line, at, start))
        return false;
    while (at < line.size() && isSpace(line[at]))
        ++at;
    if (line.compare(at, 3, "-->") != 0)
        return false;
    at += 3;
    return readTime(line, at, end);
}

void SubtitleTrack::Load(const std::string& path) {
    aStringList lines(path);
    Read(lines);
}

void SubtitleTrack::Parse(const char* data, size_t size) {
    aStringList lines;
    lines.parseBuffer(data, size);
    Read(lines);
}

void SubtitleTrack::Read(aStringList& lines) {
    m_cues.clear();
    m_lastLineIsNumber = false;
    bool first = true;
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        std::string line = lines.current();
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        first = false;
        AddLine(line);
    }
}

void SubtitleTrack::AddLine(const std::string& line) {
    Cue cue;
    if (ParseTimeLine(line, cue.start, cue.end)) {
        // The line before a time line is its sequence number, when it is one.
        if (!m_cues.empty() && !m_cues.back().lines.empty() && m_lastLineIsNumber)
            m_cues.back().lines.pop_back();
        m_cues.push_back(std::move(cue));
        m_lastLineIsNumber = false;
        return;
    }
    if (m_cues.empty())
        return;
    bool blank = true;
    for (char c : line) {
        if (!isBlank(c)) {
            blank = false;
            break;
        }
    }
    if (blank)
        return;
    aLocaleServer* locale = aLocaleServer::getInstance();
    if (locale && line[0] == '#')
        m_cues.back().lines.push_back(locale->getString(line.substr(1)));
    else
        m_cues.back().lines.push_back(utf8ToWide(line));
    m_lastLineIsNumber = isNumberLine(line);
}

void SubtitleTrack::Update(float dt) {
    if (dt == 0.0f)
        return;
    m_time += double(dt);
    if (dt > 0.0f) {
        while (m_index < m_cues.size() && m_cues[m_index].end <= m_time)
            ++m_index;
    } else {
        // Past the last cue the index stands at the count: step back onto it first.
        while (m_index > 0 && (m_index >= m_cues.size() || m_cues[m_index].start >= m_time))
            --m_index;
    }
}

const std::vector<std::u16string>* SubtitleTrack::GetCurrentText() const {
    if (m_index >= m_cues.size())
        return nullptr;
    const Cue& cue = m_cues[m_index];
    return cue.start <= m_time && m_time <= cue.end ? &cue.lines : nullptr;
}
