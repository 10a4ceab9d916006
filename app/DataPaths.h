#pragma once

#include "app/Singleton.h"

#include <string>

// Where the game finds its data and keeps the player's files. An installed game
// reads its data from ../share/pitchroll beside its binary; a game run from its
// build tree reads it from the folder it was started in. Every data path the
// game opens is relative to that data root, which becomes the working folder.
class DataPaths : public Singleton<DataPaths> {
    friend class Singleton<DataPaths>;

public:
    // Notes the starting folder and picks the data root for the binary at executable.
    void locate(const std::string& executable);
    // Makes the data root the working folder; false, with a line, when it cannot.
    bool enterDataRoot() const;

    const std::string& startFolder() const { return start; }
    const std::string& dataRoot() const { return root; }
    // config.txt in the starting folder if there is one, else in $XDG_CONFIG_HOME/pitchroll.
    std::string configFile() const;
    // $XDG_DATA_HOME/pitchroll: the player's saved files.
    std::string saveFolder() const;
    // $XDG_PICTURES_DIR, else the starting folder: where screenshots go.
    std::string picturesFolder() const;

private:
    DataPaths() = default;
    // The folder an XDG variable names when it holds an absolute path, else
    // home/fallback; empty without either.
    static std::string xdgFolder(const char* variable, const char* fallback);

    std::string start;
    std::string root;
};
