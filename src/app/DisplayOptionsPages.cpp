#include "app/DisplayOptionsPages.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDateEdit>
#include <QDateTime>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/TextConversion.h"
#include "render/RenderFonts.h"

namespace kv {

namespace {

// A sample shown in the element's font and colour.
void StyleSample(QWidget* sample, const LogFont& font, ColorRef colour) {
    sample->setFont(FontFromLogFont(font));
    QPalette palette = sample->palette();
    palette.setColor(QPalette::Text, ColorFromColorRef(colour));
    palette.setColor(QPalette::WindowText, ColorFromColorRef(colour));
    sample->setPalette(palette);
}

// Multi-line texts of the document end their lines with "\r\n"; the edit shows them as lines.
QString MultiLineText(const std::string& text) {
    return FromCore(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

std::string MultiLineCore(const QString& text) {
    QString lines = text;
    return ToCore(lines.replace(QLatin1Char('\n'), QLatin1String("\r\n")));
}

QDateTime LocalTime(std::time_t stamp) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(stamp));
}

}  // namespace

// ------------------------------------------------------------------------------ the choosers

std::optional<ColorRef> ChooseColourWithDialog(QWidget* parent, ColorRef current) {
    const QColor chosen =
        QColorDialog::getColor(ColorFromColorRef(current), parent, QStringLiteral("Color"));
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return ColorRefFromColor(chosen);
}

std::optional<QFont> ChooseFontWithDialog(QWidget* parent, const QFont& current) {
    QFontDialog dialog(current, parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    // Qt's own dialog, whose effects options (underline, strike-out) can be left out: the check
    // boxes' frame goes, and the font keeps the effects it came with. Its place stays, so that
    // the sample beside it keeps its height.
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        if (auto* frame = qobject_cast<QGroupBox*>(box->parentWidget())) {
            QSizePolicy policy = frame->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            frame->setSizePolicy(policy);
            frame->hide();
        }
    }
    // The dialog holds the font in its own terms (point sizes, style names): what it shows before
    // the operator touches anything is what OK gives without a change.
    const QFont opened = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QFont chosen = dialog.selectedFont();
    if (chosen == opened) {
        return current;
    }
    return chosen;
}

QFont FontDialogStart(const LogFont& font) {
    const QFont built = FontFromLogFont(font);
    const QFontInfo resolved(built);
    QFont start(resolved.family());
    start.setPixelSize(built.pixelSize() > 0 ? built.pixelSize() : resolved.pixelSize());
    start.setWeight(built.weight());
    start.setItalic(built.italic());
    start.setUnderline(built.underline());
    start.setStrikeOut(built.strikeOut());
    return start;
}

// ------------------------------------------------------------------------------- style pages

StylePage::StylePage(ColorRef& colour, LogFont* font, QWidget* parent)
    : PropertyPage(parent),
      colour_(colour),
      font_(font),
      colorButton_(new QPushButton(QStringLiteral("Color"), this)),
      fontButton_(new QPushButton(QStringLiteral("Font"), this)) {
    colorButton_->setAutoDefault(false);
    fontButton_->setAutoDefault(false);
    fontButton_->setEnabled(font_ != nullptr);
    connect(colorButton_, &QPushButton::clicked, this, &StylePage::ChooseColour);
    connect(fontButton_, &QPushButton::clicked, this, &StylePage::ChooseFont);
}

void StylePage::ChooseColour() {
    if (const std::optional<ColorRef> chosen = colourChooser_(this, colour_)) {
        colour_ = *chosen;
        Restyle();
    }
}

void StylePage::ChooseFont() {
    if (font_ == nullptr) {
        return;
    }
    const QFont start = FontDialogStart(*font_);
    const std::optional<QFont> chosen = fontChooser_(this, start);
    // The same font again keeps the description byte for byte: a description converted back from
    // a font loses what the font cannot hold (width, character set, precision, pitch).
    if (!chosen || *chosen == start) {
        return;
    }
    *font_ = LogFontFromFont(*chosen);
    Restyle();
}

// ------------------------------------------------------------------------- title and subtitle

CTitle::CTitle(TextAnnotation& values, QWidget* parent)
    : StylePage(values.colour, &values.font, parent),
      values_(values),
      text_(new QPlainTextEdit(this)),
      shownText_(MultiLineText(values.text)),
      shown_(new QCheckBox(QStringLiteral("Display title"), this)) {
    setObjectName(QStringLiteral("CTitle"));
    text_->setPlainText(shownText_);
    text_->setTabChangesFocus(true);
    shown_->setChecked(values_.shown);

    auto* layout = new QGridLayout(this);
    layout->addWidget(text_, 0, 0, 1, 4);
    layout->addWidget(shown_, 1, 0);
    layout->addWidget(colorButton_, 1, 2);
    layout->addWidget(fontButton_, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);
    Restyle();
}

void CTitle::Restyle() {
    StyleSample(text_, *font_, colour_);
}

bool CTitle::Leave() {
    // A text left as shown keeps its bytes, whatever their encoding and line ends.
    const QString text = text_->toPlainText();
    if (text != shownText_) {
        values_.text = MultiLineCore(text);
        shownText_ = text;
    }
    values_.shown = shown_->isChecked();
    return true;
}

// ------------------------------------------------------------------------------ time and date

CTimeDate::CTimeDate(TimeDateOptions& values, QWidget* parent)
    : StylePage(values.colour, &values.font, parent),
      values_(values),
      shown_(new QCheckBox(QStringLiteral("Display time and date"), this)),
      update_(new QCheckBox(QStringLiteral("Update on measurement"), this)),
      date_(new QDateEdit(LocalTime(values.dateStamp).date(), this)),
      time_(new QTimeEdit(LocalTime(values.timeStamp).time(), this)),
      preview_(new QLabel(this)) {
    setObjectName(QStringLiteral("CTimeDate"));
    shown_->setChecked(values_.shown);
    update_->setChecked(values_.updateOnMeasurement);
    date_->setObjectName(QStringLiteral("Date"));
    date_->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    date_->setCalendarPopup(true);
    time_->setObjectName(QStringLiteral("Time"));
    time_->setDisplayFormat(QStringLiteral("h:mm:ss AP"));

    preview_->setAutoFillBackground(true);
    QPalette white = preview_->palette();
    white.setColor(QPalette::Window, Qt::white);
    preview_->setPalette(white);
    preview_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    preview_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* previewBox = new QGroupBox(QStringLiteral("Preview"), this);
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(preview_);

    auto* pickers = new QGridLayout;
    pickers->addWidget(new QLabel(QStringLiteral("Date"), this), 0, 0);
    pickers->addWidget(date_, 0, 1);
    pickers->addWidget(new QLabel(QStringLiteral("Time"), this), 1, 0);
    pickers->addWidget(time_, 1, 1);
    pickers->setColumnStretch(2, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(colorButton_);
    buttons->addWidget(fontButton_);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(shown_);
    left->addWidget(update_);
    left->addLayout(pickers);
    left->addWidget(previewBox, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(date_, &QDateEdit::dateChanged, this, &CTimeDate::Restyle);
    connect(time_, &QTimeEdit::timeChanged, this, &CTimeDate::Restyle);
    Restyle();
}

std::time_t CTimeDate::DateStamp() const {
    // The date picker sets the date of its stamp and keeps its time of day.
    const QDateTime shown = LocalTime(values_.dateStamp);
    if (date_->date() == shown.date()) {
        return values_.dateStamp;
    }
    return static_cast<std::time_t>(QDateTime(date_->date(), shown.time()).toSecsSinceEpoch());
}

std::time_t CTimeDate::TimeStamp() const {
    // The time picker sets the time of day of its stamp and keeps its date.
    const QDateTime shown = LocalTime(values_.timeStamp);
    if (time_->time() == shown.time()) {
        return values_.timeStamp;
    }
    return static_cast<std::time_t>(QDateTime(shown.date(), time_->time()).toSecsSinceEpoch());
}

void CTimeDate::Restyle() {
    StyleSample(preview_, *font_, colour_);
    preview_->setText(MultiLineText(TimeDatePreviewText(DateStamp(), TimeStamp())));
}

bool CTimeDate::Leave() {
    const std::time_t date = DateStamp();
    const std::time_t time = TimeStamp();
    values_.dateStamp = date;
    values_.timeStamp = time;
    values_.shown = shown_->isChecked();
    values_.updateOnMeasurement = update_->isChecked();
    return true;
}

// -------------------------------------------------------------- elements, traces and the grid

CTracePage::CTracePage(StyledElement& element, QWidget* parent)
    : CTracePage(element.colour, &element.font, element.sample, nullptr, nullptr, parent) {}

CTracePage::CTracePage(TraceStyle& trace, QWidget* parent)
    : CTracePage(trace.colour, &trace.font, trace.label, &trace.label, nullptr, parent) {}

CTracePage::CTracePage(ColorRef& gridColour, int& lineWidth, QWidget* parent)
    : CTracePage(gridColour, nullptr, std::string(), nullptr, &lineWidth, parent) {}

CTracePage::CTracePage(ColorRef& colour, LogFont* font, const std::string& text, std::string* label,
                       int* lineWidth, QWidget* parent)
    : StylePage(colour, font, parent),
      storedLabel_(label),
      lineWidth_(lineWidth),
      previewGroup_(new QGroupBox(QStringLiteral("Preview"), this)),
      labelCaption_(new QLabel(QStringLiteral("Trace label"), previewGroup_)),
      label_(new QLineEdit(previewGroup_)),
      thicknessCaption_(new QLabel(QStringLiteral("Line Thickness"), this)),
      thickness_(new QSlider(Qt::Horizontal, this)) {
    setObjectName(QStringLiteral("CTrace"));
    ShowText(label_, text);
    auto* previewLayout = new QVBoxLayout(previewGroup_);
    previewLayout->addWidget(labelCaption_);
    previewLayout->addWidget(label_);

    thickness_->setRange(0, kMaxLineWidth);
    thickness_->setPageStep(1);
    thickness_->setTickPosition(QSlider::TicksBelow);
    thickness_->setTickInterval(1);
    thickness_->setValue(lineWidth_ != nullptr ? std::clamp(*lineWidth_, 0, kMaxLineWidth) : 1);
    auto* thicknessRow = new QHBoxLayout;
    thicknessRow->addWidget(thicknessCaption_);
    thicknessRow->addWidget(thickness_, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(previewGroup_);
    left->addLayout(thicknessRow);
    left->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(colorButton_);
    buttons->addWidget(fontButton_);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    if (GridMode()) {
        for (QWidget* w :
             {static_cast<QWidget*>(previewGroup_), static_cast<QWidget*>(label_),
              static_cast<QWidget*>(labelCaption_), static_cast<QWidget*>(fontButton_)}) {
            w->hide();
        }
        connect(thickness_, &QSlider::valueChanged, this, qOverload<>(&QWidget::update));
    } else {
        thicknessCaption_->hide();
        thickness_->hide();
    }
    Restyle();
}

void CTracePage::Restyle() {
    if (font_ != nullptr) {
        StyleSample(label_, *font_, colour_);
    }
    update();
}

void CTracePage::paintEvent(QPaintEvent* event) {
    StylePage::paintEvent(event);
    if (!GridMode()) {
        return;
    }
    // Ten lines each way, one eleventh of the screen apart, in the grid's colour and the
    // slider's width (0: one device pixel), behind the page's controls.
    const QSize screen = this->screen() != nullptr ? this->screen()->size() : QSize(1024, 768);
    QPainter painter(this);
    painter.setPen(ChartPen(colour_, thickness_->value(), 0));
    for (const int x : GridPreviewLines(screen.width())) {
        painter.drawLine(x, 0, x, height());
    }
    for (const int y : GridPreviewLines(screen.height())) {
        painter.drawLine(0, y, width(), y);
    }
}

bool CTracePage::Leave() {
    if (storedLabel_ != nullptr) {
        *storedLabel_ = ReadText(label_);
    }
    if (lineWidth_ != nullptr) {
        *lineWidth_ = thickness_->value();
    }
    return true;
}

}  // namespace kv
