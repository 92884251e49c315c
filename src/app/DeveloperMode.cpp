#include "DeveloperMode.h"

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "MenuBuilder.h"

namespace tavin {

namespace {

// Deleting an action takes it out of every menu that shows it.
void DeleteCommand(QMenuBar& bar, unsigned id) {
    delete FindCommand(bar, id);
}

}  // namespace

QString ExecutableBaseName(const QString& argv0) {
    return QFileInfo(argv0).completeBaseName();
}

bool IsDeveloperMode(const QString& baseName) {
    return baseName.compare(QStringLiteral("Service Console Mode"), Qt::CaseInsensitive) == 0;
}

void TrimDeveloperCommands(QMenuBar& bar, DeveloperMenuTrim trim) {
    DeleteCommand(bar, command::kManualCommand);
    if (trim != DeveloperMenuTrim::ManualAndPortCommands) {
        return;
    }
    DeleteCommand(bar, command::kPortSetup);
    // What is left at position 2 of the Interface menu is the separator that stood before the
    // port command.
    const QList<QAction*> popups = bar.actions();
    if (popups.size() > 1 && popups[1]->menu()) {
        QMenu* interfaceMenu = popups[1]->menu();
        const QList<QAction*> items = interfaceMenu->actions();
        if (items.size() > 2) {
            delete items[2];
        }
    }
}

}  // namespace tavin
