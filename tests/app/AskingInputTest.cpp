// A message box or file dialog takes the keys typed at it once it is up, and none typed before
// it appeared. Keys "typed the moment it appears" are queued on its window as it is shown,
// before the program has handled any other event: a quick user, or a test driving the program,
// types as soon as the window is there, and those keys must not be lost.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "QueuedInput.h"

namespace tavin {
namespace {

using testing::QueueKey;
using Keys = std::vector<std::pair<Qt::Key, QString>>;

// Queues `keys` on the window of the first top-level `Window` shown, as it is shown.
template <typename Window>
class TypedWhenShown final : public QObject {
  public:
    explicit TypedWhenShown(Keys keys) : keys_(std::move(keys)) {
        QApplication::instance()->installEventFilter(this);
    }
    ~TypedWhenShown() override { QApplication::instance()->removeEventFilter(this); }
    TypedWhenShown(const TypedWhenShown&) = delete;
    TypedWhenShown& operator=(const TypedWhenShown&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<Window*>(watched);
        if (event->type() == QEvent::Show && window && window->isWindow() && !typed_) {
            typed_ = true;
            for (const auto& [key, text] : keys_) {
                QueueKey(window->windowHandle(), key, text);
            }
        }
        return false;
    }

  private:
    Keys keys_;
    bool typed_ = false;
};

class AskingInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        main_.resize(300, 200);
        main_.show();
        main_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main_));
        // A box nobody answers is closed after a while, so a failure does not hang the run.
        unanswered_.setSingleShot(true);
        unanswered_.setInterval(3000);
        QObject::connect(&unanswered_, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
        });
    }

    // Keys typed on the main window before the program asks anything.
    void TypeEarly(const Keys& keys) {
        for (const auto& [key, text] : keys) {
            QueueKey(main_.windowHandle(), key, text);
        }
        unanswered_.start();
    }

    QWidget main_;
    QTimer unanswered_;
};

TEST_F(AskingInputTest, AQuestionTakesTheKeysTypedAtItNotThoseTypedBefore) {
    struct Case {
        const char* what;
        Keys early;
        Keys atTheBox;
        MessageAnswer expected;  // never Cancel: that is what closing an unanswered box gives
    };
    const Case cases[] = {
        {"Enter at the box", {}, {{Qt::Key_Return, "\r"}}, MessageAnswer::Yes},
        {"N at the box", {}, {{Qt::Key_N, "n"}}, MessageAnswer::No},
        {"Enter before, N at the box",
         {{Qt::Key_Return, "\r"}, {Qt::Key_Y, "y"}},
         {{Qt::Key_N, "n"}},
         MessageAnswer::No},
    };
    for (const Case& c : cases) {
        TypeEarly(c.early);
        const TypedWhenShown<QMessageBox> typing(c.atTheBox);
        const MessageAnswer answer = ShowMessageBox(
            {"Save changes?", "Asking", MessageIcon::Question, MessageButtons::YesNoCancel});
        EXPECT_EQ(int(answer), int(c.expected)) << c.what;
    }
}

TEST_F(AskingInputTest, AFileDialogTakesTheKeysTypedAtItNotThoseTypedBefore) {
    QTemporaryDir folder;
    const QString proposed = folder.filePath("proposed.tvn");
    const QString typed = folder.filePath("typed.tvn");
    struct Case {
        const char* what;
        Keys early;
        Keys atTheDialog;
        QString expected;  // never empty: that is what closing an unanswered dialog gives
    };
    const Case cases[] = {
        {"Enter at the dialog", {}, {{Qt::Key_Return, "\r"}}, proposed},
        {"a name and Enter at the dialog, Escape and Enter before",
         {{Qt::Key_Escape, "\x1b"}, {Qt::Key_Return, "\r"}},
         {{Qt::Key_T, "t"},
          {Qt::Key_Y, "y"},
          {Qt::Key_P, "p"},
          {Qt::Key_E, "e"},
          {Qt::Key_D, "d"},
          {Qt::Key_Return, "\r"}},
         typed},
    };
    for (const Case& c : cases) {
        TypeEarly(c.early);
        const TypedWhenShown<QFileDialog> typing(c.atTheDialog);
        FileRequest request;
        request.mode = FileRequest::Mode::Save;
        request.title = QStringLiteral("Save As");
        request.filters = {QStringLiteral("Data Files (*.tvn)")};
        request.defaultSuffix = QStringLiteral("tvn");
        request.fileName = proposed;
        EXPECT_EQ(AskFileName(request, &main_).toStdString(), c.expected.toStdString()) << c.what;
    }
}

}  // namespace
}  // namespace tavin
