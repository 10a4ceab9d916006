#include "render/FrameData.h"

FrameData& FrameData::shared()
{
    static FrameData data;
    return data;
}
