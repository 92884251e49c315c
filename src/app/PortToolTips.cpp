#include "PortToolTips.h"

#include <QWidget>

#ifdef Q_OS_LINUX
#include "PortNames.h"
#endif

namespace tavin {

void ShowPortDevice([[maybe_unused]] QWidget& button, [[maybe_unused]] int portNumber) {
#ifdef Q_OS_LINUX
    button.setToolTip(QString::fromStdString(DescribeComPort(portNumber)));
#endif
}

}  // namespace tavin
