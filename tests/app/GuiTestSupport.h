#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "FileDialogs.h"
#include "MessageBoxes.h"

// Readable test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Answers message boxes and file dialogs instead of a person, and acts on windows as soon as
// they are shown.

namespace tavin::testing {

class MessageRecorder {
  public:
    explicit MessageRecorder(std::deque<MessageAnswer> answers = {})
        : answers_(std::move(answers)) {
        previous_ = SetMessageHook([this](const MessageRequest& request) {
            requests.push_back(request);
            if (answers_.empty()) {
                return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok
                                                             : MessageAnswer::Cancel;
            }
            const MessageAnswer answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
    }
    ~MessageRecorder() { SetMessageHook(previous_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList Texts() const {
        QStringList texts;
        for (const MessageRequest& request : requests) {
            texts.append(request.text);
        }
        return texts;
    }

    std::vector<MessageRequest> requests;

  private:
    std::deque<MessageAnswer> answers_;
    MessageHook previous_;
};

class FileAnswers {
  public:
    explicit FileAnswers(std::deque<QString> answers) : answers_(std::move(answers)) {
        previous_ = SetFileHook([this](const FileRequest& request) {
            requests.push_back(request);
            if (during) {
                during();
            }
            if (answers_.empty()) {
                return QString();
            }
            QString answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
    }
    ~FileAnswers() { SetFileHook(previous_); }
    FileAnswers(const FileAnswers&) = delete;
    FileAnswers& operator=(const FileAnswers&) = delete;

    std::vector<FileRequest> requests;
    std::function<void()> during;  // runs while the "dialog" is open

  private:
    std::deque<QString> answers_;
    FileHook previous_;
};

// Runs a real event loop, so that the program's idle work runs, until `done` holds (or five
// seconds have passed); returns `done()`.
inline bool RunEventLoopUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(5);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Runs `action` on the first visible top-level window of type T once the event loop runs (for
// example inside the modal loop of the dialog that is about to be shown).
template <typename T>
void WhenShown(std::function<void(T&)> action) {
    QTimer::singleShot(0, [action] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<T*>(widget); window && window->isVisible()) {
                action(*window);
                return;
            }
        }
        ADD_FAILURE() << "no window of the expected type was shown";
    });
}

}  // namespace tavin::testing
