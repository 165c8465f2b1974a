#pragma once

// A document with a scripted operator, an in-process registry handing out a recording analyzer,
// a profile in memory and a folder of its own for its files.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "doc/CKv4731xDoc.h"
#include "persist/PersistTestUtil.h"
#include "persist/ProfileStore.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace kv::test {

// The scripted operator, also keeping the file dialogs' requests.
class RecordingUi : public ScriptedUi {
public:
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return ScriptedUi::GetOpenFileName(request);
    }
    std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return ScriptedUi::GetSaveFileName(request);
    }
};

class DocFiles : public ::testing::Test {
protected:
    DocFiles() : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~DocFiles() override { doc.reset(); }

    // A document; with `instrument` its first show connects to the registry's analyzer.
    CKv4731xDoc& Make(bool instrument = false) {
        doc.reset();
        if (instrument) {
            profile.values[kProfileCardClsid] = kFakeCardClsid;
            profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
        }
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = folder.File(kDefaultsFileName);
        return *doc;
    }
    // Make, show (connect, defaults) and forget what the start-up said and did.
    CKv4731xDoc& MakeShown() {
        CKv4731xDoc& d = Make(true);
        d.OnViewsShown();
        Forget();
        return d;
    }
    void Forget() {
        ui.messages.clear();
        ui.traceChoiceCaptions.clear();
        ui.traceChoiceEnabled.clear();
        ui.recentFiles.clear();
        if (registry.driver) {
            registry.driver->calls.clear();
        }
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (const auto& m : ui.messages) {
            out.push_back(m.caption);
        }
        return out;
    }

    static Bytes ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string ReadText(const std::string& path) {
        const Bytes b = ReadBytes(path);
        return std::string(b.begin(), b.end());
    }
    static void WriteBytes(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static void WriteText(const std::string& path, const std::string& text) {
        WriteBytes(path, Bytes(text.begin(), text.end()));
    }
    // The document's whole state as a setup image (written to a scratch file and read back).
    Bytes Snapshot() {
        const std::string path = folder.File("snapshot.tst");
        EXPECT_TRUE(doc->StoreSetupFile(path));
        return ReadBytes(path);
    }

    TempFolder folder;
    RecordingUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
};

}  // namespace kv::test
