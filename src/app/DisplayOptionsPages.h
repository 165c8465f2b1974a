#pragma once

// The pages of the sheet "Display options": CTitle (title and subtitle), CTimeDate (the time and
// date stamp) and CTracePage (an element's colour and font with a sample, a trace's label, colour
// and font, or the grid's colour and line width). Each works on the sheet's copy of the values:
// a colour or font chosen goes into the copy at once, the texts, flags and stamps when the
// operator leaves the page or presses OK.

#include <QFont>
#include <functional>
#include <optional>
#include <string>

#include "app/PropertyPage.h"
#include "display/DisplaySheets.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTimeEdit;

namespace kv {

// The colour chooser: the chosen colour, or nothing when the operator cancels.
using ColourChooser = std::function<std::optional<ColorRef>(QWidget* parent, ColorRef current)>;
// The font chooser, opened on `current`: the chosen font, or nothing when the operator cancels.
// A font equal to `current` means "unchanged" and keeps the stored description as it is.
using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& current)>;

// The standard colour dialog, allowing any colour.
std::optional<ColorRef> ChooseColourWithDialog(QWidget* parent, ColorRef current);
// The standard font dialog listing the installed fonts, without the effects options; it gives
// `current` itself back when the operator confirms the font it opened on.
std::optional<QFont> ChooseFontWithDialog(QWidget* parent, const QFont& current);

// What the font dialog opens on for a stored description: the face the system resolved for it
// (the description may name a face that is not installed) at the description's pixel size,
// weight and style.
QFont FontDialogStart(const LogFont& font);

// A page with an element's colour and possibly its font, the buttons "Color" and "Font", and the
// choosers they open (the standard dialogs unless replaced).
class StylePage : public PropertyPage {
    Q_OBJECT

public:
    QPushButton* ColorButton() const { return colorButton_; }
    QPushButton* FontButton() const { return fontButton_; }
    void SetColourChooser(ColourChooser chooser) { colourChooser_ = std::move(chooser); }
    void SetFontChooser(FontChooser chooser) { fontChooser_ = std::move(chooser); }

protected:
    // `font` may be null: a page without a font (the grid).
    StylePage(ColorRef& colour, LogFont* font, QWidget* parent);

    // Shows the samples in the element's present colour and font.
    virtual void Restyle() = 0;

    ColorRef& colour_;
    LogFont* font_;
    QPushButton* colorButton_;
    QPushButton* fontButton_;

private:
    void ChooseColour();
    void ChooseFont();

    ColourChooser colourChooser_ = ChooseColourWithDialog;
    FontChooser fontChooser_ = ChooseFontWithDialog;
};

// "Title" and "SubTitle": the text in a multi-line edit, "Display title", "Color" and "Font".
class CTitle : public StylePage {
    Q_OBJECT

public:
    explicit CTitle(TextAnnotation& values, QWidget* parent = nullptr);

    bool Leave() override;

    QPlainTextEdit* TextEdit() const { return text_; }
    QCheckBox* ShownBox() const { return shown_; }

protected:
    void Restyle() override;

private:
    TextAnnotation& values_;
    QPlainTextEdit* text_;
    QString shownText_;  // what the edit showed when the page filled it
    QCheckBox* shown_;
};

// "Time and date": shown and update-on-measurement flags, the date and the time pickers (each
// sets its own stamp), "Color", "Font" and the preview.
class CTimeDate : public StylePage {
    Q_OBJECT

public:
    explicit CTimeDate(TimeDateOptions& values, QWidget* parent = nullptr);

    bool Leave() override;

    QCheckBox* ShownBox() const { return shown_; }
    QDateEdit* DatePicker() const { return date_; }
    QLabel* Preview() const { return preview_; }

protected:
    void Restyle() override;

private:
    std::time_t DateStamp() const;
    std::time_t TimeStamp() const;

    TimeDateOptions& values_;
    QCheckBox* shown_;
    QCheckBox* update_;
    QDateEdit* date_;
    QTimeEdit* time_;
    QLabel* preview_;
};

// An element's colour and font with a sample, a trace's label, colour and font, or, in grid mode,
// the grid's colour and the chart's line width with a preview grid painted behind the controls.
class CTracePage : public StylePage {
    Q_OBJECT

public:
    // A font element: the label edit shows `element.sample`, which is not stored back.
    explicit CTracePage(StyledElement& element, QWidget* parent = nullptr);
    // A trace: the label edit shows the label and stores it back.
    explicit CTracePage(TraceStyle& trace, QWidget* parent = nullptr);
    // Grid mode.
    CTracePage(ColorRef& gridColour, int& lineWidth, QWidget* parent = nullptr);

    bool Leave() override;

    bool GridMode() const { return lineWidth_ != nullptr; }
    QLineEdit* LabelEdit() const { return label_; }
    QLabel* LabelCaption() const { return labelCaption_; }
    QGroupBox* PreviewGroup() const { return previewGroup_; }
    QSlider* ThicknessSlider() const { return thickness_; }
    QLabel* ThicknessCaption() const { return thicknessCaption_; }

protected:
    void Restyle() override;
    void paintEvent(QPaintEvent* event) override;

private:
    CTracePage(ColorRef& colour, LogFont* font, const std::string& text, std::string* label,
               int* lineWidth, QWidget* parent);

    std::string* storedLabel_;  // the trace's label; null for a sample
    int* lineWidth_;            // grid mode only
    QGroupBox* previewGroup_;
    QLabel* labelCaption_;
    QLineEdit* label_;
    QLabel* thicknessCaption_;
    QSlider* thickness_;
};

}  // namespace kv
