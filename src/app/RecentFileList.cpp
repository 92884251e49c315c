#include "RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace tavin {

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString EntryName(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

void RecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > kSize) {
        files_.removeLast();
    }
}

void RecentFileList::Remove(const QString& path) {
    files_.removeAll(QFileInfo(path).absoluteFilePath());
}

void RecentFileList::ReadFrom(QSettings& profile) {
    files_.clear();
    profile.beginGroup(kSection);
    for (int i = 0; i < kSize; ++i) {
        const QString file = profile.value(EntryName(i)).toString();
        if (!file.isEmpty() && !files_.contains(file)) {
            files_.append(file);
        }
    }
    profile.endGroup();
}

void RecentFileList::WriteTo(QSettings& profile) const {
    profile.remove(kSection);
    profile.beginGroup(kSection);
    for (int i = 0; i < files_.size(); ++i) {
        profile.setValue(EntryName(i), files_[i]);
    }
    profile.endGroup();
}

}  // namespace tavin
