#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "doc/CKv4731xDoc.h"
#include "persist/ProfileStore.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace kv::test {

// A document with a scripted operator, an in-process registry and a profile in memory; the
// defaults file lives in a folder of its own.
class DocFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("kv-doc-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        doc.reset();
        std::filesystem::remove_all(folder);
    }

    CKv4731xDoc& Make() {
        doc = std::make_unique<CKv4731xDoc>(ui, registry, profile);
        doc->defaultsPath = (folder / kDefaultsFileName).string();
        return *doc;
    }

    // A profile that selects the fake card and analyzer, so that a first show connects without
    // the selection dialog.
    void RememberFakeSelection() {
        profile.values[kProfileCardClsid] = kFakeCardClsid;
        profile.values[kProfileInstrumentClsid] = kFakeInstrumentClsid;
    }

    ScriptedUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    std::unique_ptr<CKv4731xDoc> doc;
    std::filesystem::path folder;
};

}  // namespace kv::test
