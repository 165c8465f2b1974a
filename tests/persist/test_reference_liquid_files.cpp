#include <gtest/gtest.h>

#include <fstream>

#include "PersistTestUtil.h"
#include "persist/ReferenceLiquidFiles.h"

using kv::test::TempFolder;

namespace {

const std::string kShipped = KV_SOURCE_DIR "/data/reference-liquids.txt";

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Ids(const kv::ReferenceLiquidLibrary& library) {
    std::vector<std::string> ids;
    for (const kv::ReferenceLiquid& liquid : library.liquids) {
        ids.push_back(liquid.id);
    }
    return ids;
}

const std::vector<std::string> kShippedIds = {
    "water",      "methanol", "methanol-barthel", "ethanol", "propan-1-ol", "propan-2-ol",
    "butan-1-ol", "dmso",     "ethanediol",       "acetone"};

}  // namespace

TEST(ReferenceLiquidFiles, UserEntryReplacesTheShippedOne) {
    TempFolder folder("liquids-user");
    const std::string user = folder.File("reference-liquids.txt");
    Write(user,
          "[methanol]\nname = Methanol, our batch\nmodel = debye\n20 30 5 2\n"
          "[glycerol-mix]\nname = Glycerol mixture\nmodel = debye\n20 40 4 0.5\n");
    const kv::ReferenceLiquidLibrary library = kv::LoadReferenceLiquids({kShipped, user});
    EXPECT_TRUE(library.problems.empty());
    std::vector<std::string> ids = kShippedIds;
    ids.push_back("glycerol-mix");
    EXPECT_EQ(Ids(library), ids);
    const kv::ReferenceLiquid& methanol = library.liquids[1];
    EXPECT_EQ(methanol.name, "Methanol, our batch");
    // Only 20 C now; Debye at f = fr: e' = (30 + 5) / 2.
    EXPECT_FALSE(kv::LiquidPermittivity(methanol, 25, 2e9).has_value());
    EXPECT_DOUBLE_EQ(kv::LiquidPermittivity(methanol, 20, 2e9)->re, 17.5);
}

TEST(ReferenceLiquidFiles, BrokenOrMissingUserFileLeavesTheShippedLibrary) {
    TempFolder folder("liquids-broken");
    const std::string broken = folder.File("broken.txt");
    const std::string missing = folder.File("none.txt");
    Write(broken, "[methanol]\nname = Mine\nmodel = debye\n20 30 5\n");
    const kv::ReferenceLiquidLibrary library =
        kv::LoadReferenceLiquids({kShipped, broken, missing});
    EXPECT_EQ(library.problems,
              std::vector<std::string>{broken + ":4: expected the temperature and 3 numbers (es, "
                                                "einf, fr (GHz)), found 3 numbers"});
    EXPECT_EQ(library.missing, std::vector<std::string>{missing});
    EXPECT_EQ(Ids(library), kShippedIds);
    EXPECT_EQ(library.liquids[1].name, "Methanol");
    // The build folder's copy of the shipped library, read without an application object.
    EXPECT_EQ(Ids(kv::LoadReferenceLiquids({kv::ShippedReferenceLiquidsFile()})), kShippedIds);

    const kv::ReferenceLiquidLibrary folderAsFile =
        kv::LoadReferenceLiquids({folder.Path().string()});
    EXPECT_EQ(folderAsFile.problems,
              std::vector<std::string>{folder.Path().string() + ": not a regular file"});
}
