#pragma once

#include <string>

// Reading the game's data files. Only regular files are opened: a named pipe
// standing in for a data file would block the game at open, and a device such
// as /dev/zero would never end.
class DataFile {
public:
    enum Outcome { READ, MISSING, NOT_REGULAR, UNREADABLE };

    // The whole file into bytes (emptied first). MISSING when nothing of that
    // name exists, NOT_REGULAR for a folder, pipe or device, UNREADABLE when
    // opening or reading fails otherwise.
    static Outcome read(const char* path, std::string& bytes);

    // True when path names a regular file (links followed); for libraries that
    // open the file themselves.
    static bool isRegular(const char* path);

    // A few words for a failed outcome, to follow the file name on a line.
    static const char* describe(Outcome outcome);
};
