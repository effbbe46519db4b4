// ctest-labels: ports
// The reviewer tools: qdscene's clip scene and a recorded empty scene listed by pictdump.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/tool_support.h"

namespace {

TEST(Qdscene, ClipSceneDrawsTheLShapedClipBlack) {
    std::string png = TempFile("clip.png");
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " clip " + png, &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out, "clip rgnSize 36 bbox (50,50,150,150)\n");
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(image), 200);
    ASSERT_EQ(cairo_image_surface_get_height(image), 200);
    const unsigned char *data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image), black = 0, white = 0;
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 200; x++) {
            unsigned pixel = *(const unsigned *)(data + y * stride + 4 * x) & 0xFFFFFF;
            bool inside = x >= 50 && y >= 50 && ((y < 100 && x < 150) || (y < 150 && x < 100));
            EXPECT_EQ(pixel, inside ? 0u : 0xFFFFFFu) << x << "," << y;
            black += pixel == 0;
            white += pixel == 0xFFFFFF;
        }
    EXPECT_EQ(black, 7500);
    EXPECT_EQ(white, 40000 - 7500);
    cairo_surface_destroy(image);
    std::remove(png.c_str());
}

TEST(Qdscene, RecordedEmptySceneListsAsTheEmptyPicture) {
    std::string pict = TempFile("empty.pict");
    int status = -1;
    RunCommand(ToolPath("qdscene") + " empty --record " + pict, &status);
    ASSERT_EQ(status, 0);
    std::string out = RunCommand(ToolPath("pictdump") + " " + pict, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out,
              "kind own  picSize 64  frame (0,0,100,100)\n"
              "40 001E DefHilite\n"
              "42 001B RGBBkCol 65535 65535 65535\n"
              "50 0001 Clip rgnSize 10 (-32767,-32767,32767,32767)\n"
              "62 00FF OpEndPic\n");
    std::remove(pict.c_str());
}

TEST(Qdscene, BadArgumentsAndFilesAreRefused) {
    int status = 0;
    RunCommand(ToolPath("qdscene") + " no-such-scene 2>/dev/null", &status);
    EXPECT_NE(status, 0);
    RunCommand(ToolPath("pictdump") + " /nonexistent/file 2>/dev/null", &status);
    EXPECT_NE(status, 0);
}

TEST(Pictdump, EverySeedPictureListsOrStopsCleanly) {
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::string folder = std::string(source) + "/tests/data/fuzz/pict_walk";
    DIR *dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr);
    int listed = 0;
    while (dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        int status = -1;
        RunCommand(ToolPath("pictdump") + " " + folder + "/" + entry->d_name + " >/dev/null", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << entry->d_name;
        listed++;
    }
    closedir(dir);
    EXPECT_GT(listed, 3);
}

}  // namespace
