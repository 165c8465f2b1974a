// The component registry against the real plugins of the build tree and against plugins that are
// broken on purpose.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "../../components/simcard/SimulatedCardId.h"
#include "DemoTestSupport.h"
#include "instrument/ComponentPlugin.h"
#include "instrument/PluginRegistry.h"

namespace kv::test {
namespace {

const std::string kInstruments = kInstrumentCategory;
const std::string kCards = kGpibCardCategory;

std::string PluginFile(const char* folder, const char* target) {
    return std::string(folder) + "/lib" + target + ".so";
}

const ComponentInfo* Find(const std::vector<ComponentInfo>& list, const std::string& clsid) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const ComponentInfo& c) { return c.clsid == clsid; });
    return it == list.end() ? nullptr : &*it;
}

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);  // drops only the reference RTLD_NOLOAD added
        return true;
    }
    return false;
}

// The reason the registry gives for a file it could not use; empty when it gave none.
std::string ProblemOf(const IComponentRegistry& registry, const std::string& file) {
    for (const ComponentProblem& p : registry.Problems()) {
        if (p.file == file) {
            return p.reason;
        }
    }
    return {};
}

// A temporary components folder filled with copies of plugin files under chosen names.
class ComponentFolder {
public:
    void Copy(const std::string& from, const QString& name) {
        ASSERT_TRUE(QFile::copy(QString::fromStdString(from), dir_.filePath(name))) << from;
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::string Path() const { return dir_.path().toStdString(); }
    std::string File(const QString& name) const { return dir_.filePath(name).toStdString(); }

private:
    QTemporaryDir dir_;
};

TEST(PluginRegistry, ListsTheSimulatedCardAndTheDemoAnalyzerByCategory) {
    PluginRegistry registry({KV_COMPONENTS_DIR});
    std::vector<ComponentInfo> cards;
    std::vector<ComponentInfo> instruments;
    ASSERT_TRUE(registry.List(kCards, cards));
    ASSERT_TRUE(registry.List(kInstruments, instruments));

    const ComponentInfo* card = Find(cards, kCardClsid);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->name, "Simulated GPIB card");
    EXPECT_EQ(card->path, PluginFile(KV_COMPONENTS_DIR, "kv_simcard"));
    // The analyzer accepts exactly the card its metadata names.
    EXPECT_EQ(card->clsid, kSimulatedCardClsid);
    EXPECT_EQ(card->addresses, AddressKind::Numbers);

    const ComponentInfo* demo = Find(instruments, kDemoClsid);
    ASSERT_NE(demo, nullptr);
    EXPECT_EQ(demo->name, "Demo analyzer");
    EXPECT_EQ(demo->path, PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"));
    EXPECT_FALSE(demo->offeredByFind);  // a simulation answers wherever it is asked

    // Each component only in its own category; a category id matches without regard to case.
    EXPECT_EQ(Find(cards, kDemoClsid), nullptr);
    EXPECT_EQ(Find(instruments, kCardClsid), nullptr);
    std::vector<ComponentInfo> lower;
    ASSERT_TRUE(registry.List("{3d47ec6e-ecc2-11d2-9508-ffb8806a0556}", lower));
    EXPECT_NE(Find(lower, kDemoClsid), nullptr);
}

TEST(PluginRegistry, ListingReadsMetadataWithoutLoadingAndCreatingLoads) {
    // A copy under a name of its own is a library no other test has loaded.
    ComponentFolder folder;
    folder.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"), "libdemo_copy.so");
    const std::string copy = folder.File("libdemo_copy.so");
    PluginRegistry registry({folder.Path()});

    std::vector<ComponentInfo> instruments;
    ASSERT_TRUE(registry.List(kInstruments, instruments));
    ASSERT_EQ(instruments.size(), 1u);
    EXPECT_EQ(instruments[0].path, copy);
    EXPECT_FALSE(IsLoaded(copy));

    std::shared_ptr<IInstrumentDriver> driver;
    ASSERT_EQ(registry.CreateDriver(kDemoClsid, driver), CreateResult::Ok);
    EXPECT_TRUE(IsLoaded(copy));
}

TEST(PluginRegistry, CreatesTheDemoDriverByClsidInAnyCase) {
    PluginRegistry registry({KV_COMPONENTS_DIR});
    std::shared_ptr<IInstrumentDriver> driver;
    ASSERT_EQ(registry.CreateDriver("{d47c0a11-7447-4f91-9042-2bfbe795f40e}", driver),
              CreateResult::Ok);
    ASSERT_NE(driver, nullptr);
    std::string name;
    EXPECT_EQ(driver->GetInstrumentName(name), 0);
    EXPECT_NE(name.find("Demo"), std::string::npos);

    // Two creations are two analyzers.
    std::shared_ptr<IInstrumentDriver> second;
    ASSERT_EQ(registry.CreateDriver(kDemoClsid, second), CreateResult::Ok);
    EXPECT_NE(second.get(), driver.get());
}

TEST(PluginRegistry, UnknownClsidIsNotCreatedAndACardGivesNoInterface) {
    PluginRegistry registry({KV_COMPONENTS_DIR});
    std::shared_ptr<IInstrumentDriver> driver;
    ASSERT_EQ(registry.CreateDriver(kDemoClsid, driver), CreateResult::Ok);

    // A failed creation never leaves the previous driver behind.
    EXPECT_EQ(registry.CreateDriver("{00000000-0000-0000-0000-000000000000}", driver),
              CreateResult::NotCreated);
    EXPECT_EQ(driver, nullptr);
    EXPECT_EQ(registry.CreateDriver("", driver), CreateResult::NotCreated);

    ASSERT_EQ(registry.CreateDriver(kDemoClsid, driver), CreateResult::Ok);
    EXPECT_EQ(registry.CreateDriver(kCardClsid, driver), CreateResult::NoInterface);
    EXPECT_EQ(driver, nullptr);
}

TEST(PluginRegistry, MissingFolderListsNothing) {
    PluginRegistry registry({"/nonexistent/kv47310/components"});
    std::vector<ComponentInfo> list{{"x", "y", "z"}};
    EXPECT_TRUE(registry.List(kInstruments, list));
    EXPECT_TRUE(list.empty());
    std::shared_ptr<IInstrumentDriver> driver;
    EXPECT_EQ(registry.CreateDriver(kDemoClsid, driver), CreateResult::NotCreated);
}

TEST(PluginRegistry, BrokenFilesAreSkippedAsProblemsAndTheRestIsListedInNameOrder) {
    ComponentFolder folder;
    // File names sort the other way round from the display names.
    folder.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"), "libzz_demo.so");
    folder.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_simcard"), "libzz_card.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_unloadable"), "libaa_unloadable.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_plain"), "libbroken_plain.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_wrong_iid"), "libbroken_iid.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_no_metadata"), "libbroken_meta.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_no_clsid"), "libbroken_clsid.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_bad_offered"), "libbroken_offer.so");
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_bad_addresses"), "libbroken_addr.so");
    folder.Write("libbroken_garbage.so", QByteArray("this is not a library\n"));
    folder.Write("README.txt", QByteArray("components folder\n"));

    PluginRegistry registry({folder.Path()});
    std::vector<ComponentInfo> instruments;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(registry.List(kInstruments, instruments));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // problems are values, not lines

    ASSERT_EQ(instruments.size(), 2u);
    EXPECT_EQ(instruments[0].name, "Demo analyzer");
    EXPECT_EQ(instruments[0].clsid, kDemoClsid);
    // Listed from its metadata, although it will not load.
    EXPECT_EQ(instruments[1].name, "Unloadable test instrument");
    EXPECT_EQ(instruments[1].clsid, "{2BA1074C-FB88-4C40-B9CA-1296A3FB403C}");

    // One problem per broken library file, in file-name order, with its reason; nothing about
    // the text file or the good plugins.
    const std::vector<std::pair<const char*, std::string>> expected = {
        {"libbroken_addr.so", "\"addresses\" is neither \"numbers\" nor \"text\""},
        {"libbroken_clsid.so", "no braced \"clsid\" in its metadata"},
        {"libbroken_garbage.so", "not a Qt plugin of this program's Qt version"},
        {"libbroken_iid.so",
         "interface \"com.tarvel.kv47310.ComponentPlugin/1.0\" instead of "
         "\"com.tarvel.kv47310.ComponentPlugin/2.0\""},
        {"libbroken_meta.so", "no braced \"clsid\" in its metadata"},
        {"libbroken_offer.so", "\"offeredByFind\" is not true or false"},
        {"libbroken_plain.so", "not a Qt plugin of this program's Qt version"},
    };
    const std::vector<ComponentProblem> problems = registry.Problems();
    ASSERT_EQ(problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(problems[i].file, folder.File(expected[i].first)) << i;
        EXPECT_EQ(problems[i].reason, expected[i].second) << i;
    }

    // The metadata is read once: a component added afterwards is not seen by this registry, the
    // card category comes from the same reading, and nothing is noted twice.
    folder.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"), "libzz_late.so");
    std::vector<ComponentInfo> cards;
    ASSERT_TRUE(registry.List(kCards, cards));
    std::vector<ComponentInfo> again;
    ASSERT_TRUE(registry.List(kInstruments, again));
    EXPECT_EQ(registry.Problems(), problems);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].clsid, kCardClsid);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].path, instruments[0].path);
    EXPECT_EQ(again[1].path, instruments[1].path);

    // Components that were skipped cannot be created either.
    std::shared_ptr<IInstrumentDriver> driver;
    EXPECT_EQ(registry.CreateDriver("{9B66F1AB-75FF-4708-AD4D-8458583EAC9F}", driver),
              CreateResult::NotCreated);
    EXPECT_EQ(registry.CreateDriver("{5E0C1F44-3B6A-4D7E-9E0B-6A1D2C3B4A50}", driver),
              CreateResult::NotCreated);
    EXPECT_EQ(registry.CreateDriver(kDemoClsid, driver), CreateResult::Ok);
}

TEST(PluginRegistry, UnloadableComponentIsNotCreatedAndNoted) {
    ComponentFolder folder;
    folder.Copy(PluginFile(KV_TEST_COMPONENTS_DIR, "kv_test_unloadable"), "libunloadable.so");
    PluginRegistry registry({folder.Path()});
    std::shared_ptr<IInstrumentDriver> driver;
    EXPECT_EQ(registry.CreateDriver("{2BA1074C-FB88-4C40-B9CA-1296A3FB403C}", driver),
              CreateResult::NotCreated);
    EXPECT_EQ(driver, nullptr);
    const std::string reason = ProblemOf(registry, folder.File("libunloadable.so"));
    EXPECT_EQ(reason.rfind("cannot be loaded: ", 0), 0u) << reason;
    EXPECT_NE(reason.find("kvTestVariableThatNobodyDefines"), std::string::npos) << reason;
}

TEST(PluginRegistry, DuplicateClsidKeepsTheFirstFolder) {
    ComponentFolder first;
    ComponentFolder second;
    first.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"), "libdemo_a.so");
    second.Copy(PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"), "libdemo_b.so");
    // The same folder twice is searched once.
    PluginRegistry registry({first.Path(), first.Path() + "/.", second.Path()});
    std::vector<ComponentInfo> instruments;
    ASSERT_TRUE(registry.List(kInstruments, instruments));
    ASSERT_EQ(instruments.size(), 1u);
    EXPECT_EQ(instruments[0].path, first.File("libdemo_a.so"));
    EXPECT_EQ(
        ProblemOf(registry, second.File("libdemo_b.so")),
        "CLSID " + std::string(kDemoClsid) + " already provided by " + first.File("libdemo_a.so"));
    EXPECT_EQ(registry.Problems().size(), 1u);
}

TEST(PluginRegistry, DefaultFoldersEndWithTheBuildTreeComponents) {
    const std::vector<std::string> folders = PluginRegistry::DefaultFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.back(), KV_COMPONENTS_DIR);
    PluginRegistry registry;
    std::vector<ComponentInfo> instruments;
    ASSERT_TRUE(registry.List(kInstruments, instruments));
    EXPECT_NE(Find(instruments, kDemoClsid), nullptr);
}

TEST(PluginRegistry, ProgramFindsItsComponentsBesideItOrInTheInstalledLayout) {
    int argc = 1;
    char name[] = "test_instrument";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    const QString programFolder = QCoreApplication::applicationDirPath();
    // The build tree keeps the components beside the programs; an installation keeps the
    // programs in <prefix>/bin and the components in <prefix>/lib/kv47310/components.
    const std::vector<std::string> expected = {
        (programFolder + "/components").toStdString(),
        QDir::cleanPath(programFolder + "/../lib/kv47310/components").toStdString()};
    EXPECT_EQ(PluginRegistry::DefaultFolders(), expected);
    PluginRegistry registry;
    std::vector<ComponentInfo> instruments;
    ASSERT_TRUE(registry.List(kInstruments, instruments));
    ASSERT_NE(Find(instruments, kDemoClsid), nullptr);
    EXPECT_EQ(Find(instruments, kDemoClsid)->path,
              PluginFile(KV_COMPONENTS_DIR, "kv_demo_analyzer"));
}

}  // namespace
}  // namespace kv::test
