#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

const std::string& FuzzInput::directory()
{
    static const std::string path = [] {
        char name[] = "/tmp/pitchroll-fuzz-XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        return std::string(name);
    }();
    return path;
}

std::string FuzzInput::write(const std::uint8_t* data, std::size_t size, const char* name)
{
    const std::string path = directory() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
    return path;
}
