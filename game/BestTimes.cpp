#include "game/BestTimes.h"

#include "app/Report.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool isLevelName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
              c == '-'))
            return false;
    }
    return true;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

BestTimes::BestTimes(std::string folder_) : folder(std::move(folder_)) {}

std::string BestTimes::filePath() const
{
    return (fs::path(folder) / FILE_NAME).string();
}

void BestTimes::load()
{
    times.clear();
    const std::string path = filePath();
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return;
    std::string text;
    bool readable = status.type() == fs::file_type::regular && fs::file_size(path, error) <= MAX_FILE_SIZE;
    if (readable) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        readable = in.good() || in.eof();
        text = bytes.str();
    }
    if (!readable || !parse(text)) {
        times.clear();
        report("Best times file %s is unreadable; the next record replaces it\n", path.c_str());
    }
}

// The whole file or nothing: one bad line makes the table untrustworthy.
bool BestTimes::parse(const std::string& text)
{
    if (text.find('\0') != std::string::npos)
        return false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string level, rest;
        double seconds = 0.0;
        if (!(fields >> level))
            continue;  // a blank line
        if (!(fields >> seconds) || (fields >> rest) || !isLevelName(level) || !std::isfinite(seconds) ||
            seconds <= 0.0 || seconds > MAX_SECONDS)
            return false;
        times[level] = seconds;
    }
    return true;
}

double BestTimes::best(const std::string& level) const
{
    const auto found = times.find(level);
    return found == times.end() ? -1.0 : found->second;
}

bool BestTimes::record(const std::string& level, double seconds)
{
    if (!isLevelName(level) || !std::isfinite(seconds) || seconds <= 0.0 || seconds > MAX_SECONDS)
        return false;
    const double previous = best(level);
    if (previous > 0.0 && previous <= seconds)
        return false;
    times[level] = seconds;
    save();
    return true;
}

bool BestTimes::save() const
{
    std::string text;
    char line[128];
    for (const auto& [level, seconds] : times) {
        std::snprintf(line, sizeof(line), "%s %.3f\n", level.c_str(), seconds);
        text += line;
    }

    const std::string path = filePath();
    std::error_code error;
    fs::create_directories(folder, error);
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    bool ok = fd >= 0;
    if (ok) {
        ok = writeAll(fd, text) && fsync(fd) == 0;
        ok = close(fd) == 0 && ok;
        ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        report("Cannot save the best times to %s: %s\n", path.c_str(), std::strerror(errno));
        if (fd >= 0)
            std::remove(temporary.c_str());
    }
    return ok;
}
