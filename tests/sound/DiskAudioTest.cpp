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
#include <numeric>
#include <thread>

namespace {
const double PI = 3.14159265358979323846;

void writeWav(const std::string& path, const std::vector<short>& samples, std::uint32_t rate)
{
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    // "RIFF" size "WAVE" "fmt " 16: PCM mono, rate, byte rate, 2-byte frames of 16 bits; "data" size.
    const std::uint32_t header[11] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16, 0x00010001,
                                      rate,       rate * 2,   0x00100002, 0x61746164, bytes};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

// The windows of [from, to) within the samples, of `size` frames each.
template <typename F> void forWindows(const std::vector<short>& samples, long from, long to, long size, F f)
{
    for (long start = from; start + size <= std::min(to, static_cast<long>(samples.size())); start += size)
        f(&samples[start]);
}
}  // namespace

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

void DiskAudioTest::writeTone(const std::string& name, double hz, double seconds) const
{
    std::vector<short> samples(static_cast<size_t>(seconds * RATE));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(TONE_AMPLITUDE * std::sin(2 * PI * hz * i / RATE));
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".mp3") != 0)
        return writeWav("data/sound/" + name, samples, RATE);
    writeWav("mp3-input.wav", samples, RATE);
    const std::string command = "lame --quiet -b 128 mp3-input.wav 'data/sound/" + name + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

void DiskAudioTest::writeLevel(const std::string& name, short level, double seconds) const
{
    writeWav("data/sound/" + name, std::vector<short>(static_cast<size_t>(seconds * RATE), level), RATE);
}

void DiskAudioTest::runFrames(double seconds, const std::function<void()>& frame) const
{
    // On a busy machine the mixer thread falls behind the clock: go on until the
    // recording holds that much more sound too, so the marks around an event
    // always span it. A device that records nothing is not waited for.
    const long wanted = framesRecorded() + static_cast<long>(seconds * RATE);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (frame)
            frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long recorded = framesRecorded();
        if (elapsed >= seconds && (recorded >= wanted || recorded == 0 || elapsed > seconds + 30.0))
            return;
    }
}

long DiskAudioTest::framesRecorded() const
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(directory + "/output.raw", error);
    return error ? 0 : static_cast<long>(bytes / 4); // 16-bit stereo
}

std::vector<short> DiskAudioTest::recording() const
{
    std::ifstream in(directory + "/output.raw", std::ios::binary);
    std::vector<short> left;
    for (short frame[2]; in.read(reinterpret_cast<char*>(frame), sizeof frame);)
        left.push_back(frame[0]);
    return left;
}

std::vector<double> DiskAudioTest::toneLevels(const std::vector<short>& samples, long from, long to, double hz)
{
    const long size = 2048;
    std::vector<double> levels;
    forWindows(samples, from, to, size, [&](const short* window) {
        // One DFT bin at hz under a Hann window; 2|X|/sum(w) is the amplitude.
        std::complex<double> sum = 0;
        for (long i = 0; i < size; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * PI * i / (size - 1));
            sum += hann * window[i] * std::polar(1.0, -2 * PI * hz * i / RATE);
        }
        levels.push_back(2 * std::abs(sum) / (size / 2.0));
    });
    return levels;
}

int DiskAudioTest::windowsAt(const std::vector<short>& samples, long from, long to, double level)
{
    const long size = 1024;
    int count = 0;
    forWindows(samples, from, to, size, [&](const short* window) {
        count += std::abs(std::accumulate(window, window + size, 0.0) / size - level) < 300;
    });
    return count;
}
