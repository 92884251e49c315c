#include "CTAVINApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QFileOpenEvent>
#include <QSettings>

#include "CAboutDlg.h"
#include "CCommSystemDlg.h"
#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CameraAccess.h"
#include "DeveloperMode.h"
#include "DocumentManager.h"
#include "Extensions.h"
#include "ProgramWait.h"
#include "StringTable.h"
#include "WaitCursor.h"
#include "templates/Menus.h"

namespace tavin {

namespace {

constexpr unsigned kAppTitle = 57344;
constexpr unsigned kCompany = 57346;
constexpr unsigned kReady = 62002;

const QString kComPortEntry = QStringLiteral("Settings/COM Port");

QString Text(unsigned id) {
    return QString::fromUtf8(LoadText(id));
}

}  // namespace

CTAVINApp::CTAVINApp(const Edition& edition, CameraAccess& camera, QStringList arguments,
                     ViewFactory viewFactory)
    : edition_(edition),
      camera_(camera),
      arguments_(std::move(arguments)),
      viewFactory_(viewFactory ? std::move(viewFactory) : ViewFactory(CreateMainView)) {
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CTAVINApp::OnIdle);
    pendingTimer_.setSingleShot(true);
    pendingTimer_.setInterval(0);
    connect(&pendingTimer_, &QTimer::timeout, this, &CTAVINApp::RunPendingRequest);
    QCoreApplication::instance()->installEventFilter(this);
    commands_.runner = [this](const std::function<void()>& handler) { WhenIdle(handler); };
}

CTAVINApp::~CTAVINApp() {
    delete frame_.data();
    if (!profile_) {
        profile_ = std::make_unique<QSettings>(Text(kCompany), Text(kAppTitle));
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
    profile_ = std::make_unique<QSettings>(Text(kCompany), Text(kAppTitle));
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
    if (firstRead) {
        const WaitCursor waiting;
        camera_.FetchAllItems();
    }

    if (!CreateMainWindow(file)) {
        camera_.Close();
        exitCode_ = 1;
        return false;
    }
    frame_->showNormal();
    frame_->activateWindow();
    frame_->raise();
    frame_->repaint();
    frame_->setAcceptDrops(true);
    return true;
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

bool CTAVINApp::CreateMainWindow(const QString& file) {
    auto* frame = new CMainFrame(edition_, DeveloperMode(), commands_, camera_);
    frame_ = frame;
    frame->SetView(viewFactory_(*document_, frame));
    frame->canClose = [this] {
        if (!IsIdle()) {
            WhenIdle([this] {
                if (frame_) {
                    frame_->close();
                }
            });
            return false;
        }
        return documents_->SaveModified();
    };
    connect(frame, &CMainFrame::fileDropped, this, [this](const QString& path) {
        WhenIdle([this, path] { documents_->OpenDocumentFile(path); });
    });
    documents_->SetFrame(frame);
    ui_.SetMainFrame(frame);
    RegisterDocumentCommands(commands_, *document_, *frame);

    if (file.isEmpty()) {
        document_->OnNewDocument();
        return true;
    }
    return documents_->OpenDocumentFile(file);
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

void CTAVINApp::WhenIdle(std::function<void()> request) {
    if (IsIdle() && pending_.empty()) {
        request();
        return;
    }
    pending_.push_back(std::move(request));
}

bool CTAVINApp::eventFilter(QObject* watched, QEvent* event) {
    // A data file the desktop asks the running program to open, like a dropped one.
    if (event->type() == QEvent::FileOpen && frame_) {
        const QString path = static_cast<QFileOpenEvent*>(event)->file();
        if (!path.isEmpty()) {
            WhenIdle([this, path] { documents_->OpenDocumentFile(path); });
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
    frame_->SetStatusText(Text(kReady));
    frame_->UpdatePortPane();
}

void CTAVINApp::RunPendingRequest() {
    if (pending_.empty() || !IsIdle()) {
        return;
    }
    std::function<void()> request = std::move(pending_.front());
    pending_.pop_front();
    request();
}

}  // namespace tavin
