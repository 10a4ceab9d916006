#include "tools/TargaWriter.h"

#include "tools/Image.h"

#include "GeneratedFiles.h"

#include <gtest/gtest.h>

TEST(TargaWriter, WritesUncompressedBottomUpFilesThatReadBackExactly)
{
    Image image(5, 3);
    image.fill([](int x, int y) { return Colour(x / 4.0f, y / 2.0f, 0.25f, (x + y) / 6.0f); });
    for (const int channels : {3, 4}) {
        const std::string file = "targa_writer_" + std::to_string(channels) + ".tga";
        ASSERT_TRUE(TargaWriter::write(image, file, channels));
        const generated::Picture picture = generated::readTarga(file);
        ASSERT_EQ(picture.width, 5);
        ASSERT_EQ(picture.height, 3);
        ASSERT_EQ(picture.channels, channels);
        // Row 0 of the picture (texture coordinate t = 0) is the top row, read back first.
        EXPECT_EQ(picture.at(4, 0)[0], 255);
        EXPECT_EQ(picture.at(0, 2)[1], 255);
        EXPECT_EQ(picture.at(2, 1)[2], 64);
        if (channels == 4) {
            EXPECT_EQ(picture.at(4, 2)[3], 255);
        }
    }
}

TEST(TargaWriter, ReportsAFileThatCannotBeWritten)
{
    const Image image(2, 2);
    EXPECT_FALSE(TargaWriter::write(image, "no/such/folder/file.tga", 3));
}
