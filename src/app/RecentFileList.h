#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The most-recently-used data files, newest first, at most four; kept in the profile section
// "Recent File List" as "File1" to "File4".

namespace tavin {

class RecentFileList {
  public:
    static constexpr int kSize = 4;

    // Puts `path` (made absolute) in front; a file already listed moves up instead of appearing
    // twice, and the oldest entry falls off.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return files_; }

    void ReadFrom(QSettings& profile);
    void WriteTo(QSettings& profile) const;

  private:
    QStringList files_;
};

}  // namespace tavin
