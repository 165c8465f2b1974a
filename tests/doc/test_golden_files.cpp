// The files the program writes, byte for byte, through the document's own commands (the window
// front end runs the same session through its menus): a change to any stored field, its order or
// its encoding shows here.

#include "DocFilesFixture.h"
#include "doc/CommandTable.h"
#include "support/GoldenSession.h"

namespace kv::test {
namespace {

TEST_F(DocFiles, WrittenFilesMatchTheGoldenCopiesByteForByte) {
    CKv4731xDoc& d = MakeShown();
    RunGoldenSession(d, *registry.driver, ui, folder.Path().string(),
                     [&d](int id) { EXPECT_TRUE(RunDocumentCommand(d, id)) << id; });
    ExpectGoldenFiles(folder.Path().string(), std::string(KV_SOURCE_DIR) + "/tests/data/golden");
}

}  // namespace
}  // namespace kv::test
