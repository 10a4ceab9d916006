// Effect files through the effect-file parser.
#include "platform/fx/FxSource.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FxSource source;
    source.parse(std::string(reinterpret_cast<const char*>(data), size), "effect.cgfx");
    return 0;
}
