// Image lists: names, groups, formats, duplicates, progress.

#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/images/image_test_env.h"

#include <algorithm>
#include <map>

using namespace imgtest;

namespace {
std::vector<int16_t> g_progress;
void progress(int16_t left) {
    g_progress.push_back(left);
}
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

namespace {

// A list loaded into a manager of its own with the given number of threads:
// what it logged, the progress it reported and every picture's pixels by key.
struct ListLoad {
    std::vector<std::string> log;
    std::vector<int16_t> progress;
    std::map<std::string, std::vector<uint32_t>> pixels;
};

ListLoad loadWith(unsigned threads, const std::string& list, const std::vector<std::string>& names,
                  size_t budget = aImageManager::kDefaultListTextureBudget) {
    ListLoad out;
    aImageManager m;
    m.setLoadThreads(threads);
    m.setListTextureBudget(budget);
    g_progress.clear();
    m.setProgressCallback(progress);
    {
        LogCapture log;
        m.loadList(list, "room");
        out.log = log.lines;
    }
    out.progress = g_progress;
    LogCapture quiet; // the misses below
    for (const std::string& name : names) {
        const aImage* image = m.getImage(name, "room");
        if (!image)
            continue;
        std::vector<uint32_t>& px = out.pixels[name];
        px.push_back(image->getWidth());
        px.push_back(image->getHeight());
        for (uint32_t y = 0; y < image->getHeight(); ++y)
            for (uint32_t x = 0; x < image->getWidth(); ++x)
                px.push_back(image->getPixel(int(x), int(y)));
    }
    return out;
}

} // namespace

TEST_F(ImageManagerTest, ThreadsChangeNothingButTheTime) {
    // Pictures of many sizes (their decodes end out of order), in every
    // format, among a missing file, a damaged one, a bad line and a repeat.
    // The first decode takes longest: the lines after it are read meanwhile.
    content::Picture slow(900, 700);
    for (uint32_t p = 0; p < slow.argb.size(); ++p)
        slow.argb[p] = 0xFF000000u | (p * 2246822519u);
    write("slow.png", content::writePng(slow));
    std::string text = "slow.png 8888 8888\nnoextension 8888 8888\nmissing.png 8888 8888\n";
    std::vector<std::string> names = {"slow"};
    for (int i = 0; i < 24; ++i) {
        const uint32_t side = 4 + uint32_t((i * 37) % 90);
        content::Picture picture(side, side + uint32_t(i % 3));
        for (uint32_t p = 0; p < picture.argb.size(); ++p)
            picture.argb[p] = (uint32_t(0x40 + i * 8) << 24) | (p * 2654435761u + uint32_t(i)) % 0xFFFFFFu;
        const std::string name = "pic" + std::to_string(i);
        const char* ext = i % 4 == 1 ? ".jpg" : i % 4 == 2 ? ".jng" : i % 4 == 3 ? ".bmp" : ".png";
        write(name + ext, i % 4 == 1   ? content::writeJpeg(picture)
                          : i % 4 == 2 ? content::writeJng(picture)
                          : i % 4 == 3 ? content::writeBmp32(picture)
                                       : content::writePng(picture));
        text += name + ext + (i % 2 ? " 4444 4444\n" : " 8888 8888\n");
        names.push_back(name);
        if (i == 5)
            text += "pic3.bmp 8888 8888\n";
        if (i == 11) {
            content::Bytes damaged = content::writePng(solid(40, 40, 0xFF336699));
            damaged.resize(damaged.size() / 2);
            write("damaged.png", damaged);
            write("empty.png", content::Bytes());
            text += "damaged.png 8888 8888\nempty.png 8888 8888\nodd.png 565 8888\n";
            write("odd.png", content::writePng(solid(3, 3, 0xFF00FF00)));
        }
    }
    for (const char* extra : {"missing", "damaged", "empty", "odd"})
        names.push_back(extra);
    const std::string list = write("ImageList.txt", text);

    const ListLoad serial = loadWith(1, list, names);
    ASSERT_EQ(serial.pixels.size(),
              29u); // the missing, damaged and empty ones have entries without a texture
    EXPECT_EQ(serial.pixels.at("damaged").size(), 2u);
    EXPECT_TRUE(std::find(serial.log.begin(), serial.log.end(),
                          "file_readFullAndMalloc. Error open file: " + m_dir + "missing.png") !=
                serial.log.end());
    for (unsigned threads : {2u, 4u, 8u}) {
        const ListLoad parallel = loadWith(threads, list, names);
        EXPECT_EQ(parallel.log, serial.log) << threads << " threads";
        EXPECT_EQ(parallel.progress, serial.progress) << threads << " threads";
        EXPECT_TRUE(parallel.pixels == serial.pixels) << threads << " threads";
    }
    // A budget that runs out half way stops at the same line.
    const ListLoad short1 = loadWith(1, list, names, 900 * 700 * 4 + 40000);
    const ListLoad short4 = loadWith(4, list, names, 900 * 700 * 4 + 40000);
    EXPECT_LT(short1.pixels.size(), serial.pixels.size());
    EXPECT_EQ(short4.log, short1.log);
    EXPECT_TRUE(short4.pixels == short1.pixels);
}
