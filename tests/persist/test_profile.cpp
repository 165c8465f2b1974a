// The profile store over the settings file.

#include <gtest/gtest.h>

#include <QSettings>

#include "PersistTestUtil.h"
#include "persist/SettingsProfileStore.h"

namespace kv::test {
namespace {

TEST(SettingsProfile, ValuesLiveInTheProgramsSection) {
    TempFolder folder("profile");
    const std::string ini = folder.File("profile.ini");
    {
        SettingsProfileStore store(ini);
        EXPECT_EQ(store.Read(kProfileInstrumentAddress), "");
        store.Write(kProfileInstrumentAddress, "16");
        store.Write(kProfileCardClsid, "{6B55DA30-E0FA-11D2-9508-98BA38CCB605}");
        store.Write(kProfileInstrumentClsid, "");
    }
    SettingsProfileStore again(ini);
    EXPECT_EQ(again.Read(kProfileInstrumentAddress), "16");
    EXPECT_EQ(again.Read(kProfileCardClsid), "{6B55DA30-E0FA-11D2-9508-98BA38CCB605}");
    EXPECT_EQ(again.Read(kProfileInstrumentClsid), "");
    EXPECT_EQ(again.Read(kProfileCardAddress), "");

    QSettings raw(QString::fromStdString(ini), QSettings::IniFormat);
    EXPECT_EQ(raw.value("KV47310/INSTRUMENT ADDRESS").toString().toStdString(), "16");
    EXPECT_EQ(raw.childGroups(), QStringList{"KV47310"});
}

}  // namespace
}  // namespace kv::test
