#include "tools/WavWriter.h"

#include "tools/AudioBuffer.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putTag(std::vector<std::uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

bool WavWriter::write(const AudioBuffer& buffer, const std::string& path)
{
    const std::vector<std::int16_t> pcm = buffer.toPcm16();
    const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * sizeof(std::int16_t));
    std::vector<std::uint8_t> header;
    putTag(header, "RIFF");
    put32(header, 36 + dataBytes);
    putTag(header, "WAVE");
    putTag(header, "fmt ");
    put32(header, 16);
    put16(header, 1);  // PCM
    put16(header, 2);  // stereo
    put32(header, AudioBuffer::SAMPLE_RATE);
    put32(header, AudioBuffer::SAMPLE_RATE * 4);  // bytes per second
    put16(header, 4);  // bytes per frame
    put16(header, 16);  // bits per sample
    putTag(header, "data");
    put32(header, dataBytes);

    std::vector<std::uint8_t> body;
    body.reserve(dataBytes);
    for (const std::int16_t sample : pcm) {
        put16(body, static_cast<std::uint16_t>(sample));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::printf("Cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(header.data(), header.size(), 1, file) == 1 &&
                    std::fwrite(body.data(), body.size(), 1, file) == 1;
    if (std::fclose(file) != 0 || !ok) {
        std::printf("Writing %s failed\n", path.c_str());
        return false;
    }
    return true;
}
