#include "MenuBuilder.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <vector>

#include "StringTable.h"

namespace tavin {

QString CommandPrompt(unsigned id) {
    return QString::fromUtf8(LoadText(id)).section(QLatin1Char('\n'), 0, 0);
}

QString CommandName(unsigned id) {
    // The accelerator twins have no strings of their own.
    switch (id) {
        case command::kPortSetupAccel:
            id = command::kPortSetup;
            break;
        case command::kReadFromCameraAccel:
            id = command::kReadFromCamera;
            break;
        case command::kWriteToCameraAccel:
            id = command::kWriteToCamera;
            break;
        case command::kAdjustCameraDataAccel:
            id = command::kAdjustCameraData;
            break;
        default:
            break;
    }
    return QString::fromUtf8(LoadText(id)).section(QLatin1Char('\n'), 1, 1);
}

std::optional<unsigned> AcceleratorCommand(std::span<const Accelerator> accelerators,
                                           const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    for (const Accelerator& accelerator : accelerators) {
        if (QKeySequence(QString::fromUtf8(accelerator.key)) == pressed) {
            return accelerator.id;
        }
    }
    return std::nullopt;
}

void BuildMenuBar(QMenuBar& bar, std::span<const MenuEntry> entries, const CommandSink& sink) {
    std::vector<QMenu*> open;  // popups being filled, innermost last
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
            case MenuEntryKind::Popup: {
                const QString title = QString::fromUtf8(entry.text);
                open.push_back(open.empty() ? bar.addMenu(title) : open.back()->addMenu(title));
                break;
            }
            case MenuEntryKind::PopupEnd:
                open.pop_back();
                break;
            case MenuEntryKind::Separator:
                open.back()->addSeparator();
                break;
            case MenuEntryKind::Command: {
                const QString text = QString::fromUtf8(entry.text);
                QAction* action = open.empty() ? bar.addAction(text) : open.back()->addAction(text);
                action->setObjectName(QString::number(entry.id));
                action->setStatusTip(CommandPrompt(entry.id));
                action->setEnabled(!entry.grayed);
                const unsigned id = entry.id;
                QObject::connect(action, &QAction::triggered, &bar, [sink, id] { sink(id); });
                break;
            }
        }
    }
}

void InstallAccelerators(QWidget& window, std::span<const Accelerator> accelerators,
                         const CommandSink& sink) {
    for (const Accelerator& accelerator : accelerators) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(accelerator.key)), &window);
        shortcut->setObjectName(QStringLiteral("accel:%1").arg(accelerator.key));
        shortcut->setContext(Qt::WindowShortcut);
        const unsigned id = accelerator.id;
        QObject::connect(shortcut, &QShortcut::activated, &window, [sink, id] { sink(id); });
    }
}

QAction* FindCommand(const QMenuBar& bar, unsigned id) {
    return bar.findChild<QAction*>(QString::number(id));
}

}  // namespace tavin
