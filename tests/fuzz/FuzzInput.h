#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Hands a fuzz input to readers that take a file name: the bytes are written
// to a file in a directory of the fuzzing process's own.
class FuzzInput {
public:
    // The process's directory, made on first use.
    static const std::string& directory();
    // Writes the input to directory()/name and returns that path.
    static std::string write(const std::uint8_t* data, std::size_t size, const char* name);
};
