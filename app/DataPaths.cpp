#include "app/DataPaths.h"

#include "app/Report.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const CONFIG_NAME = "config.txt";
const char* const INSTALLED_DATA = "../share/pitchroll";  // from the binary's folder

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

void DataPaths::locate(const std::string& executable)
{
    std::error_code error;
    start = fs::current_path(error).string();
    root = start;
    if (executable.empty())
        return;
    const fs::path installed = fs::path(executable).parent_path() / INSTALLED_DATA;
    if (fs::is_directory(installed / "data", error))
        root = fs::canonical(installed, error).string();
    if (error)
        root = start;
}

bool DataPaths::enterDataRoot() const
{
    if (root.empty() || root == start)
        return true;
    if (chdir(root.c_str()) == 0)
        return true;
    report("Cannot enter the data folder %s: %s\n", root.c_str(), std::strerror(errno));
    return false;
}

std::string DataPaths::configFile() const
{
    const fs::path local = fs::path(start) / CONFIG_NAME;
    if (isFile(local))
        return local.string();
    const std::string home = xdgFolder("XDG_CONFIG_HOME", ".config");
    return home.empty() ? local.string() : (fs::path(home) / "pitchroll" / CONFIG_NAME).string();
}

std::string DataPaths::saveFolder() const
{
    const std::string home = xdgFolder("XDG_DATA_HOME", ".local/share");
    return home.empty() ? start : (fs::path(home) / "pitchroll").string();
}

std::string DataPaths::picturesFolder() const
{
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    if (pictures && pictures[0] == '/')
        return pictures;
    return start;
}

// The XDG base directory rules: a relative value is invalid and ignored.
std::string DataPaths::xdgFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return std::string();
    return (fs::path(home) / fallback).string();
}
