#include "app/RecentFileList.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

namespace {

constexpr const char* kGroup = "Recent File List";
constexpr int kMaxShownChars = 60;

QString Key(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

RecentFileList::RecentFileList(QSettings* settings) : settings_(settings) {}

void RecentFileList::Load() {
    entries_.clear();
    if (settings_ == nullptr) {
        return;
    }
    settings_->beginGroup(QLatin1String(kGroup));
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings_->value(Key(i)).toString();
        if (!path.isEmpty() && !entries_.contains(path)) {
            entries_ << path;
        }
    }
    settings_->endGroup();
}

void RecentFileList::Save() const {
    if (settings_ == nullptr) {
        return;
    }
    settings_->beginGroup(QLatin1String(kGroup));
    for (int i = 0; i < kSize; ++i) {
        if (i < entries_.size()) {
            settings_->setValue(Key(i), entries_[i]);
        } else {
            settings_->remove(Key(i));
        }
    }
    settings_->endGroup();
    settings_->sync();
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QString full = QFileInfo(path).absoluteFilePath();
    entries_.removeAll(full);
    entries_.prepend(full);
    while (entries_.size() > kSize) {
        entries_.removeLast();
    }
    Save();
}

void RecentFileList::Remove(int index) {
    if (index >= 0 && index < entries_.size()) {
        entries_.removeAt(index);
        Save();
    }
}

QString RecentFileList::MenuText(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kMaxShownChars) {
        const QString name = QFileInfo(path).fileName();
        const int keep = qMax(0, kMaxShownChars - static_cast<int>(name.size()) - 4);
        shown = shown.left(keep) + QStringLiteral("...") + QDir::separator() + name;
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace kv
