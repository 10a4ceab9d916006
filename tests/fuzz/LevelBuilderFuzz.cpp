// A level file read and built into a world that accepts every object.
#include "FuzzInput.h"

#include "level/LevelBuilder.h"
#include "level/LevelWorld.h"

#include <cstddef>
#include <cstdint>

namespace {

class AcceptingWorld : public LevelWorld {
public:
    int nextActorId() override { return 1; }
    int createRootNode(int) override { return 0; }
    int createGroupNode(int, const Vector3&) override { return ++nodes; }
    bool addObject(int, const LevelElement&, PhysicsElement&) override { return true; }
    void loadSkyBox(const std::string (&)[6]) override {}
    void addRootNode(int) override {}
    void createPhysics(int, const std::list<PhysicsElement*>&) override {}

private:
    int nodes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = FuzzInput::write(data, size, "level.xml");
    LevelBuilder builder;
    AcceptingWorld world;
    LoadedLevel loaded;
    builder.load(path.c_str(), world, loaded);
    return 0;
}
