// Where a control panel slider's right arrow is in the main window of the Windows program, as
// this Qt build lays it out under the fonts and style of the machine it runs on: the desktop
// test under Wine (tests/wine) runs it in the same Wine prefix to know where to click.
//
//   panel_arrow SLIDER_ID    prints "X Y", relative to the main window's client area
#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <cstdio>
#include <cstdlib>

#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "CameraDataSet.h"
#include "CommandTable.h"
#include "DialogBuilder.h"
#include "LiveCameraAccess.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SLIDER_ID\n", argv[0]);
        return 2;
    }
    const int sliderId = std::atoi(argv[1]);
    QApplication application(argc, argv);
    tavin::SetCurrentEdition(tavin::kMorva7EEdition);
    tavin::CameraDataSet data;
    tavin::LiveCameraAccess camera(data);
    tavin::CommandTable commands;
    tavin::CTAVINDoc document(camera);
    tavin::CMainFrame frame(tavin::kMorva7EEdition, false, commands, camera);
    frame.SetView(new tavin::CTAVINView(document, &frame));
    frame.setAttribute(Qt::WA_DontShowOnScreen);
    frame.show();
    QApplication::processEvents();

    const auto* bar = tavin::DialogItem<QScrollBar>(frame, sliderId);
    if (!bar) {
        std::fprintf(stderr, "no slider %d on the control panel\n", sliderId);
        return 1;
    }
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    const QRect arrow = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarAddLine, bar);
    const QPoint at = bar->mapTo(&frame, arrow.center());
    std::printf("%d %d\n", at.x(), at.y());
    return 0;
}
