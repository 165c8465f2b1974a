#include "instrument/PluginRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QRegularExpression>
#include <algorithm>
#include <exception>

#include "instrument/ComponentPlugin.h"

namespace kv {

namespace {

// A braced CLSID text such as {3D47EC6E-ECC2-11D2-9508-FFB8806A0556}.
bool IsBracedClsid(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-"
                       "[0-9A-Fa-f]{12}\\}$"));
    return pattern.match(text).hasMatch();
}

std::string Upper(const std::string& text) {
    return QString::fromStdString(text).toUpper().toStdString();
}

}  // namespace

PluginRegistry::PluginRegistry() : folders_(DefaultFolders()) {}

PluginRegistry::PluginRegistry(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::vector<std::string> PluginRegistry::DefaultFolders() {
    std::vector<std::string> folders;
    // applicationDirPath() needs an application object; tests and tools may run without one.
    if (QCoreApplication::instance() != nullptr) {
        const QString programFolder = QCoreApplication::applicationDirPath();
        folders.push_back((programFolder + "/components").toStdString());
#ifdef KV_INSTALLED_COMPONENTS_DIR
        folders.push_back(
            QDir::cleanPath(programFolder + "/" + KV_INSTALLED_COMPONENTS_DIR).toStdString());
#endif
        return folders;
    }
#ifdef KV_COMPONENTS_DIR
    folders.push_back(KV_COMPONENTS_DIR);
#endif
    return folders;
}

void PluginRegistry::Note(const std::string& path, const std::string& reason) {
    const ComponentProblem problem{path, reason};
    if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end()) {
        problems_.push_back(problem);
    }
}

const std::vector<PluginRegistry::Entry>& PluginRegistry::Entries() {
    if (!scanned_) {
        entries_ = Scan();
        scanned_ = true;
    }
    return entries_;
}

std::vector<PluginRegistry::Entry> PluginRegistry::Scan() {
    std::vector<Entry> entries;
    std::vector<QString> seenFolders;
    for (const std::string& folderText : folders_) {
        const QFileInfo folderInfo(QString::fromStdString(folderText));
        if (!folderInfo.isDir()) {
            continue;  // a folder that is not there holds no components
        }
        // The program's own folder and the build tree's folder are often the same one.
        const QString canonical = folderInfo.canonicalFilePath();
        if (std::find(seenFolders.begin(), seenFolders.end(), canonical) != seenFolders.end()) {
            continue;
        }
        seenFolders.push_back(canonical);

        const QDir folder(canonical);
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        for (const QString& file : files) {
            if (!QLibrary::isLibrary(file)) {
                continue;  // documentation, metadata sources and the like
            }
            const QString path = folder.absoluteFilePath(file);
            const std::string pathText = path.toStdString();
            const QPluginLoader loader(path);
            const QJsonObject metaData = loader.metaData();
            if (metaData.isEmpty()) {
                Note(pathText, "not a Qt plugin of this program's Qt version");
                continue;
            }
            const QString iid = metaData.value(QStringLiteral("IID")).toString();
            if (iid != QLatin1String(kComponentPluginIid)) {
                Note(pathText, "interface \"" + iid.toStdString() + "\" instead of \"" +
                                   kComponentPluginIid + "\"");
                continue;
            }
            const QJsonObject component = metaData.value(QStringLiteral("MetaData")).toObject();
            const QString clsid = component.value(QStringLiteral("clsid")).toString();
            const QString name = component.value(QStringLiteral("name")).toString();
            const QJsonArray categories = component.value(QStringLiteral("categories")).toArray();
            if (!IsBracedClsid(clsid)) {
                Note(pathText, "no braced \"clsid\" in its metadata");
                continue;
            }
            if (name.trimmed().isEmpty()) {
                Note(pathText, "no \"name\" in its metadata");
                continue;
            }
            Entry entry;
            entry.info.clsid = clsid.toUpper().toStdString();
            entry.info.name = name.toStdString();
            entry.info.path = pathText;
            for (const QJsonValue& category : categories) {
                if (IsBracedClsid(category.toString())) {
                    entry.categories.push_back(category.toString().toUpper().toStdString());
                }
            }
            if (entry.categories.empty()) {
                Note(pathText, "no \"categories\" in its metadata");
                continue;
            }
            const QJsonValue offered = component.value(QStringLiteral("offeredByFind"));
            if (!offered.isUndefined() && !offered.isBool()) {
                Note(pathText, "\"offeredByFind\" is not true or false");
                continue;
            }
            entry.info.offeredByFind = offered.toBool(true);
            const QJsonValue addresses = component.value(QStringLiteral("addresses"));
            if (addresses == QJsonValue(QStringLiteral("text"))) {
                entry.info.addresses = AddressKind::Text;
            } else if (!addresses.isUndefined() &&
                       addresses != QJsonValue(QStringLiteral("numbers"))) {
                Note(pathText, "\"addresses\" is neither \"numbers\" nor \"text\"");
                continue;
            }
            const auto same = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
                return e.info.clsid == entry.info.clsid;
            });
            if (same != entries.end()) {
                Note(pathText,
                     "CLSID " + entry.info.clsid + " already provided by " + same->info.path);
                continue;
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

bool PluginRegistry::List(const std::string& category, std::vector<ComponentInfo>& out) {
    out.clear();
    const std::string wanted = Upper(category);
    for (const Entry& entry : Entries()) {
        if (std::find(entry.categories.begin(), entry.categories.end(), wanted) !=
            entry.categories.end()) {
            out.push_back(entry.info);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const ComponentInfo& a, const ComponentInfo& b) {
        const int byName = QString::fromStdString(a.name).compare(QString::fromStdString(b.name),
                                                                  Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.clsid < b.clsid;
    });
    return true;
}

CreateResult PluginRegistry::CreateDriver(const std::string& clsid,
                                          std::shared_ptr<IInstrumentDriver>& driver) {
    driver.reset();
    const std::string wanted = Upper(clsid);
    const std::vector<Entry>& entries = Entries();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const Entry& e) { return e.info.clsid == wanted; });
    if (entry == entries.end()) {
        return CreateResult::NotCreated;
    }
    QPluginLoader loader(QString::fromStdString(entry->info.path));
    // Drivers hold code of the library; it must never leave the process while one may live.
    loader.setLoadHints(QLibrary::PreventUnloadHint);
    QObject* root = loader.instance();
    if (root == nullptr) {
        Note(entry->info.path, "cannot be loaded: " + loader.errorString().toStdString());
        return CreateResult::NotCreated;
    }
    auto* plugin = qobject_cast<IComponentPlugin*>(root);
    if (plugin == nullptr) {
        return CreateResult::NoInterface;
    }
    try {
        std::unique_ptr<IInstrumentDriver> created = plugin->CreateDriver();
        if (!created) {
            return CreateResult::NoInterface;
        }
        driver = std::shared_ptr<IInstrumentDriver>(std::move(created));
    } catch (const std::exception& e) {
        Note(entry->info.path, std::string("failed to create its driver: ") + e.what());
        return CreateResult::NotCreated;
    } catch (...) {
        Note(entry->info.path, "failed to create its driver");
        return CreateResult::NotCreated;
    }
    return CreateResult::Ok;
}

}  // namespace kv
