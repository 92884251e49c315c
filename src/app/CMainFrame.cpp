#include "CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "CameraAccess.h"
#include "CommandTable.h"
#include "DeveloperMode.h"
#include "MenuBuilder.h"
#include "ProgramIcon.h"
#include "StringIds.h"
#include "StringTable.h"
#include "templates/StatusBar.h"

namespace tavin {

namespace {

QString FirstLocalFile(const QMimeData* data) {
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                return url.toLocalFile();
            }
        }
    }
    return {};
}

}  // namespace

CMainFrame::CMainFrame(const Edition& edition, bool developerMode, const CommandTable& commands,
                       const CameraAccess& link, QWidget* parent)
    : QMainWindow(parent), edition_(edition), commands_(commands), link_(link) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(ProgramIcon(edition.kind));
    resize(edition.frameWidth, edition.frameHeight);

    const CommandSink sink = [&commands](unsigned id) { commands.Dispatch(id); };
    BuildMenuBar(*menuBar(), MainMenu(edition.kind), sink);
    InstallAccelerators(*this, MainAccelerators(), sink);
    if (!developerMode) {
        TrimDeveloperCommands(*menuBar(), edition.menuTrim);
    }

    QStatusBar* bar = statusBar();
    bar->setObjectName(QString::number(status_bar::kBar));
    bar->setSizeGripEnabled(true);
    messagePane_ = new QLabel(bar);
    messagePane_->setObjectName(QString::number(status_bar::kMessagePane));
    messagePane_->setTextFormat(Qt::PlainText);
    bar->addWidget(messagePane_, 1);
    portPane_ = new QLabel(bar);
    portPane_->setObjectName(QString::number(status_bar::kPortPane));
    portPane_->setFrameShape(QFrame::Panel);
    portPane_->setFrameShadow(QFrame::Sunken);
    portPane_->setMinimumWidth(portPane_->fontMetrics().horizontalAdvance(
                                   QString::fromUtf8(LoadText(string_id::kPortPaneSizing))) +
                               2 * portPane_->frameWidth() + 6);
    bar->addPermanentWidget(portPane_);
    UpdatePortPane();

    SetDocumentTitle({});
}

void CMainFrame::SetStatusText(const QString& text) {
    if (text == statusText_) {
        return;
    }
    statusText_ = text;
    if (prompt_.isEmpty()) {
        ShowMessagePane();
        statusBar()->repaint();
    }
}

void CMainFrame::ShowProgress(const QString& text) {
    notes_.clear();
    SetStatusText(text);
}

void CMainFrame::AddIdleNote(const QString& note) {
    if (!notes_.contains(note)) {
        notes_.append(note);
    }
}

QString CMainFrame::IdleText() const {
    return notes_.isEmpty() ? QString::fromUtf8(LoadText(string_id::kReady))
                            : notes_.join(QLatin1Char(' '));
}

QString CMainFrame::MessagePaneText() const {
    return messagePane_->text();
}
QString CMainFrame::PortPaneText() const {
    return portPane_->text();
}

void CMainFrame::ShowMessagePane() {
    messagePane_->setText(prompt_.isEmpty() ? statusText_ : prompt_);
}

void CMainFrame::UpdatePortPane() {
    const QString text = link_.IsPortOpen() ? QStringLiteral("COM%1").arg(link_.GetPortNumber())
                                            : QStringLiteral(" ?");
    if (portPane_->text() != text) {
        portPane_->setText(text);
    }
}

void CMainFrame::SetDocumentTitle(const QString& documentTitle) {
    const QString appTitle = QString::fromUtf8(LoadText(string_id::kAppTitle));
    setWindowTitle(edition_.titleShowsDocument && !documentTitle.isEmpty()
                       ? documentTitle + QStringLiteral(" - ") + appTitle
                       : appTitle);
}

void CMainFrame::SetRecentFiles(const QStringList& files) {
    QAction* first = FindCommand(*menuBar(), command::kFileMru1);
    if (!first) {
        return;
    }
    for (unsigned id = command::kFileMru1 + 1; id < command::kFileMru1 + 4; ++id) {
        delete FindCommand(*menuBar(), id);
    }
    if (files.isEmpty()) {
        first->setText(QStringLiteral("Recent File"));
        first->setEnabled(false);
        return;
    }
    const auto label = [](int index, const QString& path) {
        return QStringLiteral("&%1 %2").arg(index + 1).arg(QDir::toNativeSeparators(path));
    };
    first->setText(label(0, files[0]));
    first->setEnabled(true);
    QMenu* menu = qobject_cast<QMenu*>(first->parent());
    QAction* before = menu->actions().value(menu->actions().indexOf(first) + 1);
    for (int i = 1; i < files.size() && i < 4; ++i) {
        auto* action = new QAction(label(i, files[i]), menu);
        const unsigned id = command::kFileMru1 + unsigned(i);
        action->setObjectName(QString::number(id));
        action->setStatusTip(CommandPrompt(id));
        connect(action, &QAction::triggered, this, [this, id] { commands_.Dispatch(id); });
        menu->insertAction(before, action);
    }
}

void CMainFrame::SetView(QWidget* view) {
    setCentralWidget(view);
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        prompt_ = static_cast<QStatusTipEvent*>(event)->tip();
        ShowMessagePane();
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (canClose && !canClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit closed();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!FirstLocalFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = FirstLocalFile(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        activateWindow();
        emit fileDropped(path);
    }
}

}  // namespace tavin
