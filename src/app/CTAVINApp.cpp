#include "CTAVINApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QKeyEvent>
#include <QSettings>

#include "CAboutDlg.h"
#include "CCommSystemDlg.h"
#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "CameraAccess.h"
#include "DeveloperMode.h"
#include "DocumentCommands.h"
#include "DocumentManager.h"
#include "HeldInput.h"
#include "MenuBuilder.h"
#include "ProgramWait.h"
#include "StringIds.h"
#include "StringTable.h"
#include "WaitCursor.h"
#include "templates/Menus.h"

namespace tavin {

namespace {

const QString kComPortEntry = QStringLiteral("Settings/COM Port");

QString Text(unsigned id) {
    return QString::fromUtf8(LoadText(id));
}

// The client of the main window, showing the document: the control panel.
QWidget* CreateControlPanel(CTAVINDoc& document, QWidget* parent) {
    return new CTAVINView(document, parent);
}

}  // namespace

CTAVINApp::CTAVINApp(const Edition& edition, CameraAccess& camera, QStringList arguments,
                     ViewFactory viewFactory)
    : edition_(edition),
      camera_(camera),
      arguments_(std::move(arguments)),
      viewFactory_(viewFactory ? std::move(viewFactory) : ViewFactory(CreateControlPanel)) {
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CTAVINApp::OnIdle);
    pendingTimer_.setSingleShot(true);
    pendingTimer_.setInterval(0);
    connect(&pendingTimer_, &QTimer::timeout, this, &CTAVINApp::RunPendingRequest);
    QCoreApplication::instance()->installEventFilter(this);
    commands_.runner = [this](unsigned id, const std::function<void()>& handler) {
        QString name = CommandName(id);
        if (id >= command::kFileMru1 && id < command::kFileMru1 + RecentFileList::kSize) {
            name = OpenRequestName(recentFiles_.Files().value(int(id - command::kFileMru1)));
        }
        WhenIdle(name, handler, id == command::kAppExit);
    };
    ui_.onCameraFailure = [this] { OnCameraFailure(); };
}

CTAVINApp::~CTAVINApp() {
    delete frame_.data();
    if (!profile_) {
        profile_ =
            std::make_unique<QSettings>(Text(string_id::kCompany), Text(string_id::kAppTitle));
    }
    // The port of the last COM open request of this run (0 when there was none), whether or
    // not it opened.
    profile_->setValue(kComPortEntry, camera_.GetPortNumber());
    profile_->sync();
}

bool CTAVINApp::DeveloperMode() const {
    return IsDeveloperMode(ExecutableBaseName(arguments_.value(0)));
}

bool CTAVINApp::InitInstance() {
    // Profile root, recent files, document.
    profile_ = std::make_unique<QSettings>(Text(string_id::kCompany), Text(string_id::kAppTitle));
    recentFiles_.ReadFrom(*profile_);
    document_ = std::make_unique<CTAVINDoc>(camera_);
    documents_ = std::make_unique<DocumentManager>(*document_, recentFiles_);
    RegisterCommands();

    if (edition_.linkKind == LinkKind::PortOrLibrary) {
        if (!ChooseAndOpenLink()) {
            exitCode_ = 1;
            return false;
        }
    } else {
        OpenSingleLibraryLink();
    }

    const QString file = CommandLineFile();
    // A file named on the command line is written to the camera as it loads, so reading the
    // camera first is only needed on a board (whose values the file then overwrites) or when no
    // file is given.
    const bool firstRead = edition_.linkKind == LinkKind::SingleLibrary || linkMode_ == 1 ||
                           (file.isEmpty() && camera_.IsPortOpen());

    // The window comes first: a reading of the whole camera takes seconds, and a minute or more
    // when the camera cuts its replies short, and meanwhile the window shows how far it got.
    CreateMainWindow();
    ShowMainWindow();
    if (firstRead) {
        FirstReading();
    }
    if (!file.isEmpty() && !documents_->OpenDocumentFile(file)) {
        camera_.Close();
        exitCode_ = 1;
        return false;
    }
    return true;
}

void CTAVINApp::ShowMainWindow() {
    frame_->showNormal();
    frame_->activateWindow();
    frame_->raise();
    frame_->repaint();
    frame_->setAcceptDrops(true);
}

void CTAVINApp::FirstReading() {
    const WaitCursor waiting;
    if (camera_.FetchAllItems() > 0) {
        document_->RefreshAllViews();
    } else {
        // Reported; the panel keeps the settings the program started with.
        frame_->AddIdleNote(Text(string_id::kSettingsNotRead));
    }
}

bool CTAVINApp::ChooseAndOpenLink() {
    CCommSystemDlg dialog;
    if (!dialog.Run()) {
        return false;
    }
    linkMode_ = dialog.m_nMode;
    if (dialog.m_nMode == 0) {
        camera_.OpenSerialPort(dialog.m_nSelection + 1, dialog.m_nBaudIndex != 0 ? 9600 : 19200);
    } else {
        std::string library;
        switch (dialog.m_nSelection) {
            case CCommSystemDlg::kEeuresys:
                library = "clseremc.dll";
                break;
            case CCommSystemDlg::kMatrox:
                library = "clsermtx.dll";
                break;
            default:
                library = dialog.m_strLibraryPath.toStdString();
                break;
        }
        camera_.OpenCameraLink(library);
    }
    // A failure has been shown by the data set; the program runs on without a link.
    return true;
}

void CTAVINApp::OpenSingleLibraryLink() {
    // The single-library transport ignores port and rate; they are passed as the profile has
    // them.
    camera_.OpenSerialPort(profile_->value(kComPortEntry, 1).toInt(), 9600);
}

QString CTAVINApp::CommandLineFile() const {
    bool optionsEnded = false;
    for (const QString& argument : arguments_.mid(1)) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) {
            return argument;
        }
    }
    return {};
}

void CTAVINApp::CreateMainWindow() {
    auto* frame = new CMainFrame(edition_, DeveloperMode(), commands_, camera_);
    frame_ = frame;
    QWidget* view = viewFactory_(*document_, frame);
    frame->SetView(view);
    if (auto* panel = qobject_cast<CTAVINView*>(view)) {
        connect(panel, &CTAVINView::loopTestEnded, this, &CTAVINApp::OnLoopTestEnded);
    }
    frame->canClose = [this] {
        if (!IsIdle()) {
            WhenIdle(
                Text(string_id::kRequestClose),
                [this] {
                    if (frame_) {
                        frame_->close();
                    }
                },
                true);
            return false;
        }
        return documents_->SaveModified();
    };
    connect(frame, &CMainFrame::fileDropped, this, [this](const QString& path) {
        WhenIdle(OpenRequestName(path), [this, path] { documents_->OpenDocumentFile(path); });
    });
    documents_->SetFrame(frame);
    ui_.SetMainFrame(frame);
    DocumentCommands::Register(commands_, *document_, *frame);
    document_->OnNewDocument();
}

void CTAVINApp::RegisterCommands() {
    commands_.Register(command::kFileNew, [this] { documents_->OnFileNew(); });
    commands_.Register(command::kFileOpen, [this] { documents_->OnFileOpen(); });
    commands_.Register(command::kFileSave, [this] { documents_->OnFileSave(); });
    commands_.Register(command::kFileSaveAs, [this] { documents_->OnFileSaveAs(); });
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        commands_.Register(command::kFileMru1 + unsigned(i),
                           [this, i] { documents_->OnOpenRecentFile(i); });
    }
    commands_.Register(command::kAppExit, [this] {
        if (frame_) {
            frame_->close();
        }
    });
    commands_.Register(command::kAppAbout, [this] {
        CAboutDlg about(frame_);
        about.exec();
    });
}

int CTAVINApp::Run() {
    if (frame_ && frame_->isVisible()) {
        QEventLoop loop;
        connect(frame_, &CMainFrame::closed, &loop, &QEventLoop::quit);
        connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    recentFiles_.WriteTo(*profile_);
    return exitCode_;
}

bool CTAVINApp::IsIdle() {
    return !ProgramWait::Active() && !QApplication::activeModalWidget();
}

void CTAVINApp::WhenIdle(const QString& name, std::function<void()> request, bool isClose) {
    if (IsIdle() && pending_.empty()) {
        request();
        return;
    }
    pending_.push_back({name, std::move(request), isClose});
}

QString CTAVINApp::OpenRequestName(const QString& path) const {
    return QString::fromStdString(FormatString(LoadText(string_id::kRequestOpenFile),
                                               QFileInfo(path).fileName().toStdString()));
}

void CTAVINApp::OnCameraFailure() {
    // What the user asked for while the camera did not answer was asked of a program that then
    // seemed to hang, and it must not run on the outcome it did not see. A close is still meant:
    // it runs once the message is dismissed.
    QStringList dropped;
    DiscardHeldInput([this, &dropped](const QKeyEvent& key) {
        const std::optional<unsigned> id = AcceleratorCommand(MainAccelerators(), key);
        if (id && commands_.Has(*id)) {
            dropped.append(CommandName(*id));
        }
    });
    DropPendingRequests(string_id::kNotDoneNoAnswer, true, dropped);
}

void CTAVINApp::OnLoopTestEnded(bool completed) {
    // A run that went through held every request for a minute and a half; none of them is acted
    // on so late. After a failed step the failure has dropped them already, but for a close.
    if (completed) {
        DropPendingRequests(string_id::kNotDoneLoopTest, false);
    } else if (frame_) {
        frame_->AddIdleNote(Text(string_id::kLoopTestStopped));
    }
}

void CTAVINApp::DropPendingRequests(unsigned reasonId, bool keepClose, QStringList alsoDropped) {
    std::deque<Request> kept;
    for (Request& request : pending_) {
        if (keepClose && request.isClose) {
            kept.push_back(std::move(request));
        } else if (!request.name.isEmpty()) {
            alsoDropped.append(request.name);
        }
    }
    pending_ = std::move(kept);
    alsoDropped.removeDuplicates();
    if (frame_ && !alsoDropped.isEmpty()) {
        frame_->AddIdleNote(QString::fromStdString(FormatString(
            LoadText(reasonId), alsoDropped.join(QStringLiteral(", ")).toStdString())));
    }
}

bool CTAVINApp::eventFilter(QObject* watched, QEvent* event) {
    // A data file the desktop asks the running program to open, like a dropped one.
    if (event->type() == QEvent::FileOpen && frame_) {
        const QString path = static_cast<QFileOpenEvent*>(event)->file();
        if (!path.isEmpty()) {
            WhenIdle(OpenRequestName(path), [this, path] { documents_->OpenDocumentFile(path); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CTAVINApp::OnIdle() {
    if (!frame_ || !IsIdle()) {
        return;
    }
    if (!pending_.empty()) {
        // Not from inside the event dispatcher's own signal: the request may wait for the camera.
        pendingTimer_.start();
        return;
    }
    frame_->SetStatusText(frame_->IdleText());
    frame_->UpdatePortPane();
}

void CTAVINApp::RunPendingRequest() {
    if (pending_.empty() || !IsIdle()) {
        return;
    }
    const Request request = std::move(pending_.front());
    pending_.pop_front();
    request.run();
}

}  // namespace tavin
