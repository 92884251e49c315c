#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "AppUserInterface.h"
#include "CTAVINDoc.h"
#include "DataFileCodec.h"
#include "DocumentManager.h"
#include "FakeCamera.h"
#include "GuiTestSupport.h"
#include "RecentFileList.h"

namespace tavin {
namespace {

using testing::FakeCamera;
using testing::FileAnswers;
using testing::MessageRecorder;

class DocumentTest : public ::testing::Test {
  protected:
    QString PathOf(const QString& name) const { return dir.filePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile file(PathOf(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    AppUserInterface ui;
    ScopedUserInterface installed{ui};
    FakeCamera camera;
    CTAVINDoc document{camera};
};

TEST_F(DocumentTest, SaveWritesTheValuesInCameraFormAndLoadWritesThemToTheCamera) {
    MessageRecorder messages;
    camera.SetValue(36, 200, false);
    ASSERT_TRUE(document.OnSaveDocument(PathOf("a.tvn")));
    EXPECT_TRUE(camera.calls.empty()) << "saving sends nothing";

    const QByteArray bytes = ReadFile("a.tvn");
    ASSERT_EQ(bytes.size(), 208);
    EXPECT_EQ(bytes.at(0), 0x17);
    EXPECT_EQ(bytes.mid(1, 23), QByteArray("TAVINX Data Version1.00"));
    EXPECT_EQ(document.GetTitle(), QStringLiteral("a.tvn"));
    EXPECT_FALSE(document.IsModified());

    FakeCamera other;
    CTAVINDoc reader(other);
    document.SetModifiedFlag();
    ASSERT_EQ(reader.OnOpenDocument(PathOf("a.tvn")), CTAVINDoc::OpenResult::Opened);
    EXPECT_EQ(other.GetValue(36, false), 200);
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(other.GetValue(index, true), camera.GetValue(index, true)) << index;
    }
    EXPECT_EQ(other.calls, std::vector<std::string>{"SendItemSet"});
    EXPECT_FALSE(reader.IsModified());
    EXPECT_TRUE(messages.requests.empty());
}

TEST_F(DocumentTest, ForeignHeaderIsRefusedWithTheMismatchMessageAndNothingChanges) {
    MessageRecorder messages;
    DataFileBytes bytes = EncodeDataFile({});
    bytes[23] = '1';  // last header character
    WriteFile("other.tvn", QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(document.OnSaveDocument(PathOf("mine.tvn")));
    document.SetModifiedFlag();

    const int32_t before = camera.GetValue(9, false);
    EXPECT_EQ(document.OnOpenDocument(PathOf("other.tvn")), CTAVINDoc::OpenResult::Refused);
    ASSERT_EQ(messages.requests.size(), 1u);
    EXPECT_EQ(messages.requests[0].text,
              QStringLiteral("File type mismatch.\nFile \"other.tvn\" does not contain data for "
                             "MORVA-7E apprication."));
    EXPECT_EQ(messages.requests[0].icon, MessageIcon::None);
    EXPECT_EQ(messages.requests[0].caption, QStringLiteral("MORVA-7E"));
    EXPECT_EQ(camera.GetValue(9, false), before);
    EXPECT_TRUE(camera.calls.empty());
    // The document keeps its own name, so Save cannot overwrite the foreign file.
    EXPECT_EQ(document.GetTitle(), QStringLiteral("mine.tvn"));
    EXPECT_TRUE(document.IsModified());
}

TEST_F(DocumentTest, ShortAndEmptyFiles) {
    MessageRecorder messages;
    const DataFileBytes full = EncodeDataFile({});
    WriteFile("short.tvn", QByteArray(reinterpret_cast<const char*>(full.data()), 207));
    EXPECT_EQ(document.OnOpenDocument(PathOf("short.tvn")), CTAVINDoc::OpenResult::Failed);
    ASSERT_EQ(messages.Texts(), QStringList{QStringLiteral("Unexpected file format.")});
    EXPECT_EQ(messages.requests[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(camera.calls.empty());

    messages.requests.clear();
    WriteFile("empty.tvn", {});
    camera.SetValue(3, 7, false);
    EXPECT_EQ(document.OnOpenDocument(PathOf("empty.tvn")), CTAVINDoc::OpenResult::Opened);
    EXPECT_TRUE(messages.requests.empty());
    EXPECT_TRUE(camera.calls.empty());
    EXPECT_EQ(camera.GetValue(3, false), 7);
    EXPECT_EQ(document.GetTitle(), QStringLiteral("empty.tvn"));

    EXPECT_EQ(document.OnOpenDocument(PathOf("missing.tvn")), CTAVINDoc::OpenResult::Unreadable);
    EXPECT_TRUE(messages.Texts().value(0).endsWith(QStringLiteral("missing.tvn was not found.")));
}

TEST_F(DocumentTest, FailedSaveLeavesTheModifiedFlagAndTheName) {
    for (bool modified : {true, false}) {
        MessageRecorder messages;
        document.SetModifiedFlag(modified);
        EXPECT_FALSE(document.OnSaveDocument(PathOf("no-such-folder/a.tvn")));
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_TRUE(messages.requests[0].text.contains(QStringLiteral("writing")));
        EXPECT_EQ(document.IsModified(), modified);
        EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
        EXPECT_FALSE(QFile::exists(PathOf("no-such-folder")));
    }
}

TEST_F(DocumentTest, ASaveWithoutTheRightToWriteSaysAccessDenied) {
    WriteFile("kept.tvn", QByteArray(208, 'k'));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const auto restore = qScopeGuard([this] {
        QFile::setPermissions(
            dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    if (QFileInfo(dir.path()).isWritable()) {
        GTEST_SKIP() << "this user may write to any folder";
    }
    MessageRecorder messages;
    for (const char* name : {"kept.tvn", "new.tvn"}) {
        messages.requests.clear();
        EXPECT_FALSE(document.OnSaveDocument(PathOf(name)));
        EXPECT_EQ(messages.Texts(), QStringList{"Access to " + PathOf(name) + " was denied."});
    }
}

TEST_F(DocumentTest, SaveReplacesAnExistingFileWhole) {
    MessageRecorder messages;
    WriteFile("a.tvn", QByteArray(4096, 'x'));
    ASSERT_TRUE(document.OnSaveDocument(PathOf("a.tvn")));
    EXPECT_EQ(ReadFile("a.tvn").size(), 208);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.tvn")})
        << "no temporary file is left behind";
}

TEST_F(DocumentTest, ModifiedFlagRules) {
    MessageRecorder messages;
    struct Case {
        const char* name;
        std::function<void()> act;
        bool startModified;
        bool expectModified;
    };
    const Case cases[] = {
        {"changed item", [&] { document.SetItemValue(11, 1); }, false, true},
        {"unchanged item", [&] { document.SetItemValue(11, camera.GetValue(11, false)); }, false,
         false},
        {"failed item",
         [&] {
             camera.sendItemFailure = -20;
             document.SetItemValue(11, 2);
             camera.sendItemFailure = 0;
         },
         false, false},
        {"read", [&] { document.ReadCameraData(); }, false, true},
        {"failed read",
         [&] {
             camera.fetchResult = -5;
             document.ReadCameraData();
             camera.fetchResult = 1;
         },
         false, false},
        {"write keeps clear", [&] { document.WriteCameraData(); }, false, false},
        {"write keeps set", [&] { document.WriteCameraData(); }, true, true},
        {"new", [&] { document.OnNewDocument(); }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        document.SetModifiedFlag(c.startModified);
        c.act();
        EXPECT_EQ(document.IsModified(), c.expectModified);
    }
}

// A file the camera took only in part: the document is what the camera holds, the settings from
// before with the items written ahead of the failure, under no name and waiting to be saved, so
// that neither the file nor the previous document's file is overwritten with that mixture unasked.
TEST_F(DocumentTest, AFileTheCameraTookInPartLeavesTheCamerasSettingsUnsaved) {
    MessageRecorder messages;
    ASSERT_TRUE(document.OnSaveDocument(PathOf("before.tvn")));
    FakeCamera source;
    source.SetValue(3, 1, false);   // written before the failure
    source.SetValue(30, 9, false);  // not reached
    CTAVINDoc writer(source);
    ASSERT_TRUE(writer.OnSaveDocument(PathOf("file.tvn")));
    const QByteArray before = ReadFile("before.tvn");

    camera.sendAllResult = -5;
    camera.sendItemSetTaken = 10;
    QSignalSpy refresh(&document, &CTAVINDoc::viewsRefreshRequested);
    EXPECT_EQ(document.OnOpenDocument(PathOf("file.tvn")), CTAVINDoc::OpenResult::NotWritten);
    EXPECT_EQ(camera.calls, std::vector<std::string>{"SendItemSet"});
    EXPECT_EQ(camera.GetValue(3, false), 1);
    EXPECT_EQ(camera.GetValue(30, false), 0);
    EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(refresh.count(), 1);
    EXPECT_EQ(ReadFile("before.tvn"), before);
}

TEST_F(DocumentTest, NewDocumentIsUntitledAndLeavesTheValues) {
    QSignalSpy refresh(&document, &CTAVINDoc::viewsRefreshRequested);
    camera.SetValue(5, 3, false);
    document.OnNewDocument();
    EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_EQ(camera.GetValue(5, false), 3);
    EXPECT_EQ(refresh.count(), 1);
}

TEST(RecentFileList, NewestFirstNoDuplicatesAtMostFour) {
    RecentFileList list;
    for (const char* name :
         {"/d/1.tvn", "/d/2.tvn", "/d/3.tvn", "/d/4.tvn", "/d/2.tvn", "/d/5.tvn"}) {
        list.Add(QString::fromUtf8(name));
    }
    EXPECT_EQ(list.Files(), (QStringList{"/d/5.tvn", "/d/2.tvn", "/d/4.tvn", "/d/3.tvn"}));

    QTemporaryDir dir;
    QSettings profile(dir.filePath("p.conf"), QSettings::IniFormat);
    list.WriteTo(profile);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), QStringLiteral("/d/5.tvn"));
    EXPECT_EQ(profile.value("Recent File List/File4").toString(), QStringLiteral("/d/3.tvn"));
    RecentFileList shorter;
    shorter.Add("/d/9.tvn");
    shorter.WriteTo(profile);
    EXPECT_FALSE(profile.contains("Recent File List/File2")) << "stale entries are removed";
    RecentFileList read;
    read.ReadFrom(profile);
    EXPECT_EQ(read.Files(), QStringList{QStringLiteral("/d/9.tvn")});
}

class DocumentManagerTest : public DocumentTest {
  protected:
    RecentFileList recent;
    DocumentManager manager{document, recent};
};

TEST_F(DocumentManagerTest, SaveChangesPromptBeforeNewAndOpen) {
    ASSERT_TRUE(document.OnSaveDocument(PathOf("b.tvn")));
    document.OnNewDocument();
    document.SetModifiedFlag();
    {
        MessageRecorder messages({MessageAnswer::Cancel});
        manager.OnFileNew();
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Save changes to Untitled?")});
        EXPECT_EQ(messages.requests[0].buttons, MessageButtons::YesNoCancel);
        EXPECT_TRUE(document.IsModified()) << "cancel keeps the document";
    }
    {
        MessageRecorder messages({MessageAnswer::No});
        FileAnswers files({PathOf("b.tvn")});
        manager.OnFileOpen();
        ASSERT_EQ(files.requests.size(), 1u);
        EXPECT_EQ(files.requests[0].title, QStringLiteral("Open"));
        EXPECT_EQ(files.requests[0].filters,
                  (QStringList{"TAVIN Files (*.tvn)", AllFilesFilter("All Files")}));
        const QString allFiles = files.requests[0].filters.value(1);
        EXPECT_TRUE(QDir::match(allFiles.section('(', 1).chopped(1), QStringLiteral("golden")));
        EXPECT_EQ(document.GetTitle(), QStringLiteral("b.tvn"));
        EXPECT_EQ(recent.Files().value(0), PathOf("b.tvn"));
    }
    {
        document.SetModifiedFlag();
        MessageRecorder messages({MessageAnswer::Yes});
        FileAnswers files({});
        manager.OnFileNew();
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Save changes to b.tvn?")});
        EXPECT_TRUE(files.requests.empty()) << "a named document saves without asking a name";
        EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
    }
}

// The file was sound; the camera was not. It stays among the recent files for another try, and
// the open counts as done (a program started with it runs on).
TEST_F(DocumentManagerTest, AFileTheCameraTookInPartStaysAmongTheRecentFiles) {
    MessageRecorder messages;
    ASSERT_TRUE(document.OnSaveDocument(PathOf("c.tvn")));
    camera.sendAllResult = -5;
    EXPECT_TRUE(manager.OpenDocumentFile(PathOf("c.tvn")));
    EXPECT_EQ(recent.Files().value(0), PathOf("c.tvn"));
    EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(document.IsModified());
}

TEST_F(DocumentManagerTest, SaveAsAsksForANameAndCancelSavesNothing) {
    MessageRecorder messages;
    {
        FileAnswers files({QString()});
        EXPECT_FALSE(manager.OnFileSave());
        ASSERT_EQ(files.requests.size(), 1u);
        EXPECT_EQ(files.requests[0].mode, FileRequest::Mode::Save);
        EXPECT_EQ(files.requests[0].defaultSuffix, QStringLiteral("tvn"));
    }
    FileAnswers files({PathOf("c.tvn")});
    EXPECT_TRUE(manager.OnFileSaveAs());
    EXPECT_EQ(ReadFile("c.tvn").size(), 208);
    EXPECT_EQ(recent.Files(), QStringList{PathOf("c.tvn")});
}

TEST_F(DocumentManagerTest, ShortFileBecomesUntitledUnreadableFileLeavesTheList) {
    MessageRecorder messages;
    ASSERT_TRUE(document.OnSaveDocument(PathOf("good.tvn")));
    recent.Add(PathOf("gone.tvn"));
    WriteFile("short.tvn", ReadFile("good.tvn").left(40));
    EXPECT_FALSE(manager.OpenDocumentFile(PathOf("short.tvn")));
    EXPECT_EQ(document.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_FALSE(document.IsModified());

    EXPECT_FALSE(manager.OpenDocumentFile(PathOf("gone.tvn")));
    EXPECT_FALSE(recent.Files().contains(PathOf("gone.tvn")));
}

}  // namespace
}  // namespace tavin
