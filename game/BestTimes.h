#pragma once

#include <map>
#include <string>

// Each level's best time, kept in a small text file ("<level> <seconds>" a line)
// in the player's data folder. A save writes a new file beside the old one and
// renames it over, so a crash leaves the old table or the new, never half of one.
class BestTimes {
public:
    static constexpr const char* FILE_NAME = "besttimes.txt";
    static constexpr std::size_t MAX_FILE_SIZE = 65536;  // far beyond any real table
    static constexpr double MAX_SECONDS = 1.0e6;

    // folder: where the file lives; it is made when the first record is saved.
    explicit BestTimes(std::string folder);

    // Reads the file. No file means no times; an unreadable one is reported in a
    // line and counts as no times, and the next record replaces it.
    void load();
    // The level's best time in seconds, or a negative value when it has none.
    double best(const std::string& level) const;
    // Keeps seconds when the level has no better time and saves the table;
    // true for a new best (also when the save failed, which is reported).
    bool record(const std::string& level, double seconds);
    std::string filePath() const;

private:
    bool parse(const std::string& text);
    bool save() const;

    std::string folder;
    std::map<std::string, double> times;
};
