// The built-in content is fixed: stored runs replay only on the very bytes
// they were driven on, so the content tool must keep writing every file it
// wrote when the list in tests/data/content.sha256 was taken. New files may
// join; none listed may change or go.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "content/generated_content.h"
#include "save/sha256.h"

TEST(ContentHashes, EveryListedFileKeepsItsBytes)
{
    ASSERT_FALSE(generatedContent().empty()) << "vantor-content failed";
    std::ifstream list(std::string(VANTOR_SOURCE_DIR) + "/tests/data/content.sha256");
    ASSERT_TRUE(list.good());
    std::string line;
    size_t tracks = 0, checked = 0;
    while (std::getline(list, line)) {
        std::istringstream words(line);
        std::string expected, name;
        ASSERT_TRUE(words >> expected >> name) << line;
        std::string bytes = readWholeFile(generatedContent() + "/" + name);
        Sha256Digest digest = sha256(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(hexDigest(digest), expected) << name;
        tracks += name.rfind("tracks/", 0) == 0;
        ++checked;
    }
    // Five files for each of the fifteen tracks, among the rest.
    EXPECT_EQ(tracks, 75u);
    EXPECT_GT(checked, tracks);
}
