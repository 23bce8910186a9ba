#pragma once
// Timed subtitle cues read from a file in the SRT time format, and a clock
// of the track's own that says which cue's text is current.
//
// A line "HH:MM:SS,mmm --> HH:MM:SS,mmm" starts a cue; the lines after it that
// are not blank are its text, up to the next time line. The sequence number
// that SRT writes before each time line is recognised as such and dropped
// (a line of digits only, just before a time line). A text line that begins
// with "#" is the locale text named by the rest of the line (when a locale
// server exists); any other line is UTF-8. Damaged files read as far as they
// make sense: lines before the first time line are ignored, CR line ends and
// a UTF-8 byte-order mark are taken off, and times out of order, overlapping
// cues, cues without text and absurd hour values are kept as they stand.

#include <cstddef>
#include <string>
#include <vector>

class aStringList;

class SubtitleTrack {
public:
    struct Cue {
        double start = 0.0; // seconds
        double end = 0.0;
        std::vector<std::u16string> lines;
    };

    SubtitleTrack() = default;

    // Reads the file (through the file server) in place of the cues read so far.
    void Load(const std::string& path);
    // The same from text in memory.
    void Parse(const char* data, size_t size);

    // Advances the clock by dt (backwards when negative) and moves the
    // current cue with it.
    void Update(float dt);
    // The current cue's lines while the clock is within it; null otherwise.
    const std::vector<std::u16string>* GetCurrentText() const;

    const std::vector<Cue>& GetCues() const { return m_cues; }
    double GetTime() const { return m_time; }
    size_t GetIndex() const { return m_index; }

    // Reads one time line; false when the line is not one.
    static bool ParseTimeLine(const std::string& line, double& start, double& end);

private:
    void Read(aStringList& lines);
    void AddLine(const std::string& line);

    std::vector<Cue> m_cues;
    double m_time = 0.0;
    size_t m_index = 0;
    // The last text line taken is a number that may be the next cue's.
    bool m_lastLineIsNumber = false;
};
