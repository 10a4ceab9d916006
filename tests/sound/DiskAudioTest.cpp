#include "DiskAudioTest.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {
const double PI = 3.14159265358979323846;
const long TONE_WINDOW = 2048;
const long MEAN_WINDOW = 1024;
const int BYTES_PER_FRAME = 4; // 16-bit stereo

void writeWav(const std::string& path, const std::vector<short>& samples, int rate)
{
    std::ofstream out(path, std::ios::binary);
    const auto put32 = [&out](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&out](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(static_cast<std::uint32_t>(rate));
    put32(static_cast<std::uint32_t>(rate * 2));
    put16(2);
    put16(16);
    out.write("data", 4);
    put32(dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

std::vector<short> tone(double hz, double seconds, int rate, short amplitude)
{
    std::vector<short> samples(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(amplitude * std::sin(2 * PI * hz * i / rate));
    return samples;
}
}  // namespace

double minimum(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double maximum(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void DiskAudioTest::SetUp()
{
    char pattern[] = "/tmp/pitchroll-sound-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    std::filesystem::create_directories(directory + "/data/sound");
    previousDirectory = std::filesystem::current_path().string();
    std::filesystem::current_path(directory);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (directory + "/output.raw").c_str(), 1);
}

void DiskAudioTest::TearDown()
{
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    if (!previousDirectory.empty())
        std::filesystem::current_path(previousDirectory);
    if (!directory.empty())
        std::filesystem::remove_all(directory);
}

std::string DiskAudioTest::soundPath(const std::string& name) const
{
    return directory + "/data/sound/" + name;
}

void DiskAudioTest::writeToneWav(const std::string& name, double hz, double seconds) const
{
    writeWav(soundPath(name), tone(hz, seconds, RATE, TONE_AMPLITUDE), RATE);
}

void DiskAudioTest::writeLevelWav(const std::string& name, short level, double seconds) const
{
    writeWav(soundPath(name), std::vector<short>(static_cast<size_t>(seconds * RATE), level), RATE);
}

void DiskAudioTest::writeToneMp3(const std::string& name, double hz, double seconds) const
{
    const std::string wav = directory + "/mp3-input.wav";
    writeWav(wav, tone(hz, seconds, RATE, TONE_AMPLITUDE), RATE);
    const std::string command = "lame --quiet -b 128 '" + wav + "' '" + soundPath(name) + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::filesystem::remove(wav);
}

void DiskAudioTest::writeSoundFile(const std::string& name, const std::string& bytes) const
{
    std::ofstream(soundPath(name), std::ios::binary) << bytes;
}

void DiskAudioTest::removeSoundFile(const std::string& name) const
{
    std::filesystem::remove(soundPath(name));
}

void DiskAudioTest::runFrames(double seconds, const std::function<void()>& frame)
{
    const auto frameTime = std::chrono::milliseconds(25);
    const int frames = static_cast<int>(seconds / 0.025);
    for (int i = 0; i < frames; ++i) {
        if (frame)
            frame();
        std::this_thread::sleep_for(frameTime);
    }
}

long DiskAudioTest::framesRecorded() const
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(directory + "/output.raw", error);
    return error ? 0 : static_cast<long>(bytes / BYTES_PER_FRAME);
}

std::vector<short> DiskAudioTest::recording() const
{
    std::ifstream in(directory + "/output.raw", std::ios::binary);
    std::vector<short> left;
    short frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
        left.push_back(frame[0]);
    return left;
}

std::vector<double> DiskAudioTest::toneLevels(const std::vector<short>& samples, long from, long to,
                                              double hz)
{
    std::vector<double> levels;
    to = std::min(to, static_cast<long>(samples.size()));
    for (long start = from; start + TONE_WINDOW <= to; start += TONE_WINDOW) {
        // One DFT bin at hz under a Hann window; 2|X|/sum(w) is the amplitude.
        std::complex<double> sum = 0;
        for (long i = 0; i < TONE_WINDOW; ++i) {
            const double window = 0.5 - 0.5 * std::cos(2 * PI * i / (TONE_WINDOW - 1));
            sum += window * samples[start + i] * std::polar(1.0, -2 * PI * hz * i / RATE);
        }
        levels.push_back(2 * std::abs(sum) / (TONE_WINDOW / 2.0));
    }
    return levels;
}

std::vector<double> DiskAudioTest::meanLevels(const std::vector<short>& samples, long from, long to)
{
    std::vector<double> levels;
    to = std::min(to, static_cast<long>(samples.size()));
    for (long start = from; start + MEAN_WINDOW <= to; start += MEAN_WINDOW) {
        double sum = 0;
        for (long i = 0; i < MEAN_WINDOW; ++i)
            sum += samples[start + i];
        levels.push_back(sum / MEAN_WINDOW);
    }
    return levels;
}
