#include "app/CUserStds.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

#include "probe/CalibrationSheet.h"

namespace kv {

namespace {

constexpr const char* kCaptions[CUserStds::kColumns] = {"Eo", "Einf", "Alpha", "Tau", "Std label"};
constexpr const char* kFieldNames[CUserStds::kColumns] = {"eo", "einf", "alpha", "tau", "label"};

int LayoutMargin(const QWidget* widget, QStyle::PixelMetric metric) {
    return widget->style()->pixelMetric(metric, nullptr, widget);
}

}  // namespace

CUserStds::CUserStds(CalibrationSheet& sheet, QWidget* parent)
    : PropertyPage(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("CUserStds"));

    // One grid for the whole page, so that the column captions stand exactly over the edits of
    // every standard: each standard's frame spans five rows (its title and frame, the parameters'
    // edits, a gap, their uncertainties' edits, its frame again) and its edits lie over it, as far
    // from the frame as a framed group's own layout would place them; a sixth row parts it from
    // the next one.
    auto* grid = new QGridLayout(this);
    const int spacing = LayoutMargin(this, QStyle::PM_LayoutHorizontalSpacing);
    grid->setHorizontalSpacing(spacing >= 0 ? spacing : 6);
    grid->setVerticalSpacing(0);
    const int captionsRow = 0;
    grid->setRowMinimumHeight(captionsRow + 1, 4);
    for (int c = 0; c < kColumns; ++c) {
        auto* caption = new QLabel(QLatin1String(kCaptions[c]), this);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, captionsRow, c + 1);
        grid->setColumnStretch(c + 1, 1);
        captions_[static_cast<std::size_t>(c)] = caption;
    }

    constexpr int kRowsPerStandard = 6;
    QMargins frame;
    for (int s = 0; s < kStandards; ++s) {
        const auto si = static_cast<std::size_t>(s);
        const int top = 2 + kRowsPerStandard * s;
        auto* box = new QGroupBox(QStringLiteral("Standard %1").arg(s + 1), this);
        frame = box->contentsMargins();
        grid->addWidget(box, top, 0, kRowsPerStandard - 1, kColumns + 2);
        grid->setRowMinimumHeight(top, frame.top() + LayoutMargin(box, QStyle::PM_LayoutTopMargin));
        grid->setRowMinimumHeight(top + 2, 4);
        grid->setRowMinimumHeight(
            top + 4, frame.bottom() + LayoutMargin(box, QStyle::PM_LayoutBottomMargin));
        boxes_[si] = box;
        // Made after their frame, so that they lie on top of it, and in the order the Tab key
        // visits them.
        for (int c = 0; c < kColumns; ++c) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(
                QStringLiteral("%1%2").arg(QLatin1String(kFieldNames[c])).arg(s + 1));
            grid->addWidget(edit, top + 1, c + 1);
            edits_[si][static_cast<std::size_t>(c)] = edit;
        }
        edits_[si][kLabel]->setAlignment(Qt::AlignCenter);
        for (int c = 0; c < kLabel; ++c) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(
                QStringLiteral("u%1%2").arg(QLatin1String(kFieldNames[c])).arg(s + 1));
            grid->addWidget(edit, top + 3, c + 1);
            uncertaintyEdits_[si][static_cast<std::size_t>(c)] = edit;
        }
        grid->addWidget(new QLabel(QStringLiteral("Standard uncertainty"), this), top + 3,
                        kLabel + 1);
        grid->setRowMinimumHeight(top + kRowsPerStandard - 1, s + 1 < kStandards ? 6 : 0);
    }
    // The outer columns hold the frame's sides; the grid's spacing adds to them.
    const int left = frame.left() + LayoutMargin(boxes_[0], QStyle::PM_LayoutLeftMargin);
    const int right = frame.right() + LayoutMargin(boxes_[0], QStyle::PM_LayoutRightMargin);
    grid->setColumnMinimumWidth(0, qMax(0, left - grid->horizontalSpacing()));
    grid->setColumnMinimumWidth(kColumns + 1, qMax(0, right - grid->horizontalSpacing()));
    grid->setRowStretch(2 + kRowsPerStandard * kStandards, 1);

    for (std::size_t s = 0; s < kStandards; ++s) {
        ShowNumber(edits_[s][kEo], sheet_.stdEo[s]);
        ShowNumber(edits_[s][kEinf], sheet_.stdEinf[s]);
        ShowNumber(edits_[s][kAlpha], sheet_.stdAlpha[s]);
        ShowNumber(edits_[s][kTau], sheet_.stdTau[s]);
        ShowText(edits_[s][kLabel], sheet_.stdLabel[s]);
        ShowNumber(uncertaintyEdits_[s][kEo], sheet_.uStdEo[s]);
        ShowNumber(uncertaintyEdits_[s][kEinf], sheet_.uStdEinf[s]);
        ShowNumber(uncertaintyEdits_[s][kAlpha], sheet_.uStdAlpha[s]);
        ShowNumber(uncertaintyEdits_[s][kTau], sheet_.uStdTau[s]);
    }
}

bool CUserStds::Leave() {
    // Every number is read before any is stored, so that a refusal leaves the values as they
    // were.
    std::array<std::array<double, kLabel>, kStandards> numbers{};
    std::array<std::array<double, kLabel>, kStandards> uncertainties{};
    for (std::size_t s = 0; s < kStandards; ++s) {
        for (std::size_t c = 0; c < kLabel; ++c) {
            if (!ReadNumber(edits_[s][c], numbers[s][c]) ||
                !ReadNumberAtLeast(uncertaintyEdits_[s][c], 0.0, uncertainties[s][c])) {
                return false;
            }
        }
    }
    for (std::size_t s = 0; s < kStandards; ++s) {
        sheet_.stdEo[s] = numbers[s][kEo];
        sheet_.stdEinf[s] = numbers[s][kEinf];
        sheet_.stdAlpha[s] = numbers[s][kAlpha];
        sheet_.stdTau[s] = numbers[s][kTau];
        sheet_.stdLabel[s] = ReadText(edits_[s][kLabel]);
        sheet_.uStdEo[s] = uncertainties[s][kEo];
        sheet_.uStdEinf[s] = uncertainties[s][kEinf];
        sheet_.uStdAlpha[s] = uncertainties[s][kAlpha];
        sheet_.uStdTau[s] = uncertainties[s][kTau];
    }
    return true;
}

}  // namespace kv
