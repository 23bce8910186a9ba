// Image lists: names, groups, formats, duplicates, progress.

#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/images/image_test_env.h"

using namespace imgtest;

namespace {
std::vector<int16_t> g_progress;
void progress(int16_t left) { g_progress.push_back(left); }
} // namespace

class ImageManagerTest : public GraphFixture {};

TEST_F(ImageManagerTest, ListLines) {
    content::Bytes png = content::writePng(solid(2, 2, 0xFF102030));
    for (const char* f : {"a.b.png", "x.png", "door.png", "y.png", "z.png"})
        write(f, png);
    std::string list = write("ImageList.txt", std::string("a.b.png 0565 8888\n"
                                                          "x.png 0565\n"
                                                          "y.png 565 8888\n"
                                                          "noextension 8888 8888\n"
                                                          "door.png\t4444   1555\n"
                                                          "z.png 8888 4444 trailing\n"));
    aImageManager m;
    LogCapture log;
    m.loadList(list);
    EXPECT_EQ(m.getImageCount(), 4u);
    ASSERT_NE(m.getImage("a.b"), nullptr);
    EXPECT_EQ(m.getImage("a.b")->getFormat(), A_FMT_A8R8G8B8);
    EXPECT_TRUE(log.has("aImageManager: Error in line: x.png 0565"));
    EXPECT_TRUE(log.has("aImageManager: Error in line: noextension 8888 8888"));
    EXPECT_TRUE(log.has("aImageManager. Unknown image format: y.png 565 8888"));
    ASSERT_NE(m.getImage("y"), nullptr);
    EXPECT_EQ(m.getImage("y")->getFormat(), A_FMT_A8R8G8B8); // 32-bit mode uses the known second format
    EXPECT_EQ(m.getImage("door")->getFormat(), A_FMT_A1R5G5B5);
    EXPECT_EQ(m.getImage("z")->getFormat(), A_FMT_A4R4G4B4);
    EXPECT_EQ(m.getImage("x", ""), nullptr);
    EXPECT_TRUE(log.has("aImageManager. Cannot find image: x"));
    EXPECT_EQ(m.getImage("DOOR"), m.getImage("door"));

    // Loading again: every line already there, the first images kept.
    aImage* first = m.getImage("door");
    LogCapture log2;
    m.loadList(list);
    EXPECT_TRUE(log2.has("aImageManager. Image with name \"door.png\" already loaded!"));
    EXPECT_TRUE(log2.has("aImageManager. Image with name \"a.b.png\" already loaded!"));
    EXPECT_EQ(m.getImage("door"), first);
    EXPECT_EQ(m.getListSize(list), 6u);
}

TEST_F(ImageManagerTest, GroupsAndProgress) {
    content::Bytes png = content::writePng(solid(2, 2, 0xFF102030));
    std::string text;
    for (int i = 0; i < 10; ++i) {
        std::string f = "img" + std::to_string(i) + ".png";
        write(f, png);
        text += f + " 0565 8888\n";
    }
    std::string list = write("ImageList.txt", text);
    aImageManager m;
    g_progress.clear();
    m.setProgressCallback(progress);
    m.loadList(list, "room03");
    EXPECT_EQ(g_progress, (std::vector<int16_t>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    LogCapture log;
    EXPECT_NE(m.getImage("img3", "room03"), nullptr);
    EXPECT_NE(m.getImage("IMG3", "Room03"), nullptr);
    EXPECT_EQ(m.getImage("img3"), nullptr);
    EXPECT_TRUE(log.has("aImageManager. Cannot find image: img3"));
    EXPECT_EQ(m.getImage("img3", "room04"), nullptr);
    EXPECT_TRUE(log.has("aImageManager. Cannot find image: img3 : room04"));

    // The same list into a second group, then the first group unloaded.
    g_progress.clear();
    m.loadList(list, "bonus");
    EXPECT_EQ(g_progress.size(), 10u);
    EXPECT_EQ(m.getImageCount(), 20u);
    aImage keep = *m.getImage("img0", "room03");
    m.unloadList(list, "room03");
    EXPECT_EQ(m.getImageCount(), 10u);
    EXPECT_NE(m.getImage("img0", "bonus"), nullptr);
    EXPECT_TRUE(keep.hasTexture()); // a handle held elsewhere keeps its picture
}

TEST_F(ImageManagerTest, ListTextureMemoryIsBounded) {
    // The same 64 x 64 picture under ten names: each takes 16 KB of A8R8G8B8 texture.
    write("big.png", content::writePng(solid(64, 64, 0xFF102030)));
    std::string text = "small.png 8888 8888\n";
    write("small.png", content::writePng(solid(2, 2, 0xFF102030)));
    std::string names[10];
    for (int i = 0; i < 10; ++i) {
        for (int k = 0; k < i; ++k)
            names[i] += "./"; // other spellings of one file
        names[i] += "big.png";
        text += names[i] + " 8888 8888\n";
    }
    std::string list = write("ImageList.txt", text);
    aImageManager m;
    EXPECT_EQ(m.getListTextureBudget(), aImageManager::kDefaultListTextureBudget);
    m.setListTextureBudget(3 * 64 * 64 * 4 + 100);
    LogCapture log;
    m.loadList(list);
    EXPECT_EQ(m.getImageCount(), 4u); // small and three big ones
    for (int i = 3; i < 10; ++i)
        EXPECT_TRUE(log.has("aImageManager. Texture memory of the list used up, not loaded: " + names[i]))
            << i;
    EXPECT_EQ(log.lines.size(), 7u);
    ASSERT_NE(m.getImage("small"), nullptr);
    EXPECT_EQ(m.getImage("small")->getTextureBytes(), 2u * 2u * 4u);
    // The budget is each list's: another list loads again.
    std::string other = write("Other.txt", "./././././././././././big.png 8888 8888\n");
    log.clear();
    m.loadList(other);
    EXPECT_EQ(m.getImageCount(), 5u);
    EXPECT_TRUE(log.lines.empty());
}
