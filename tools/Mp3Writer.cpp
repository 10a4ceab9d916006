#include "tools/Mp3Writer.h"

#include "tools/AudioBuffer.h"

#include <lame/lame.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool Mp3Writer::write(const AudioBuffer& buffer, const std::string& path)
{
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame) {
        std::printf("Cannot start the MP3 encoder for %s\n", path.c_str());
        return false;
    }
    lame_set_in_samplerate(lame.get(), AudioBuffer::SAMPLE_RATE);
    lame_set_out_samplerate(lame.get(), AudioBuffer::SAMPLE_RATE);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_brate(lame.get(), 192);
    lame_set_quality(lame.get(), 2);
    // The Info tag carries the delay and padding that gapless decoders trim.
    lame_set_bWriteVbrTag(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0) {
        std::printf("MP3 encoder settings rejected for %s\n", path.c_str());
        return false;
    }

    const std::vector<std::int16_t> pcm = buffer.toPcm16();
    const int frames = buffer.frames();
    std::vector<unsigned char> mp3(static_cast<std::size_t>(1.25 * frames + 7200));
    int bytes = lame_encode_buffer_interleaved(lame.get(), const_cast<short*>(pcm.data()), frames, mp3.data(),
                                               static_cast<int>(mp3.size()));
    if (bytes < 0) {
        std::printf("MP3 encoding of %s failed (%d)\n", path.c_str(), bytes);
        return false;
    }
    const int flushed = lame_encode_flush(lame.get(), mp3.data() + bytes, static_cast<int>(mp3.size()) - bytes);
    if (flushed < 0) {
        std::printf("MP3 encoding of %s failed (%d)\n", path.c_str(), flushed);
        return false;
    }
    bytes += flushed;

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "w+b"));
    if (!file || std::fwrite(mp3.data(), static_cast<std::size_t>(bytes), 1, file.get()) != 1) {
        std::printf("Cannot write %s\n", path.c_str());
        return false;
    }
    // LAME fills in the Info tag at the start of the file now that it knows the length.
    lame_mp3_tags_fid(lame.get(), file.get());
    if (std::fflush(file.get()) != 0) {
        std::printf("Writing %s failed\n", path.c_str());
        return false;
    }
    return true;
}
