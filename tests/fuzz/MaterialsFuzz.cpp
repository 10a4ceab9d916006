// A materials file read with its textures loaded through a real GL context
// (run under Xvfb). The working directory is the fuzzer's own, so the game's
// textures are not found: decoding them is the Targa and DDS targets' work.
#include "FuzzInput.h"
#include "GlTestContext.h"

#include "level/MaterialManager.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    GlTestContext::ensure();
    std::filesystem::current_path(FuzzInput::directory());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzInput::write(data, size, "materials.xml");
    MaterialManager::instance()->loadMaterials(path.c_str());
    return 0;
}
