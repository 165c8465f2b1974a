#include "app/DisplayDialogs.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "app/DisplayOptionsPages.h"
#include "app/DisplayPages.h"
#include "app/PropertySheet.h"

namespace kv {

namespace {

constexpr const char* kDisplayCaptions[kDisplaySheetPages] = {"Data to memory", "Traces displayed",
                                                              "Trace math"};

// Wide enough to show every page's tab at once, as far as the screen allows; the tab bar scrolls
// beyond that.
void ShowAllTabs(PropertySheet& dialog) {
    QTabWidget* tabs = dialog.Tabs();
    const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs);
    int wanted = tabs->tabBar()->sizeHint().width() + frame + 8;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        wanted = std::min(wanted, screen->availableSize().width() * 3 / 4);
    }
    tabs->setMinimumWidth(std::max(tabs->minimumWidth(), wanted));
}

}  // namespace

bool RunDisplaySheet(QWidget* parent, DisplaySheet& sheet, int& page) {
    DisplaySheet edited = sheet;
    PropertySheet dialog(QStringLiteral("Display"), parent);
    dialog.setObjectName(QStringLiteral("DisplaySheet"));
    dialog.AddPage(new CDataToMem(edited), QLatin1String(kDisplayCaptions[kPageDataToMemory]));
    dialog.AddPage(new CTracesDisplayed(edited),
                   QLatin1String(kDisplayCaptions[kPageTracesDisplayed]));
    dialog.AddPage(new CTraceMath(edited), QLatin1String(kDisplayCaptions[kPageTraceMath]));
    ShowAllTabs(dialog);
    dialog.SetActivePage(page);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    sheet = edited;
    page = dialog.ActivePage();
    return true;
}

bool RunDisplayOptionsSheet(QWidget* parent, DisplayOptionsSheet& sheet, int& page) {
    DisplayOptionsSheet edited = sheet;
    PropertySheet dialog(QStringLiteral("Display options"), parent);
    dialog.setObjectName(QStringLiteral("DisplayOptionsSheet"));
    const auto add = [&dialog](PropertyPage* p, int index) {
        dialog.AddPage(p, QLatin1String(kDisplayOptionsCaptions[index]));
    };
    // The sheet of the traces alone numbers its pages as the whole sheet does.
    const int first = edited.tracesOnly ? kPageFirstTrace : 0;
    if (!edited.tracesOnly) {
        add(new CTitle(edited.title), kPageTitle);
        add(new CTitle(edited.subtitle), kPageSubtitle);
        add(new CTimeDate(edited.timeDate), kPageTimeDate);
        add(new CTracePage(edited.parameter), kPageParameterFont);
        add(new CTracePage(edited.scale), kPageLabelFont);
        add(new CTracePage(edited.gridColour, edited.lineWidth), kPageGrid);
        add(new CTracePage(edited.table), kPageTableFont);
    }
    for (int t = 0; t < kTraceCount; ++t) {
        add(new CTracePage(edited.traces[static_cast<std::size_t>(t)]), kPageFirstTrace + t);
    }
    ShowAllTabs(dialog);
    dialog.SetActivePage(page - first);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    sheet = edited;
    page = dialog.ActivePage() + first;
    return true;
}

}  // namespace kv
