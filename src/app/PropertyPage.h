#pragma once

// One page of a property sheet: it is shown from its value struct and, when the operator leaves
// it (another tab or OK), checks its fields and writes them back.

#include <QWidget>
#include <string>

class QLineEdit;

namespace kv {

class PropertyPage : public QWidget {
    Q_OBJECT

public:
    explicit PropertyPage(QWidget* parent = nullptr) : QWidget(parent) {}

    // Checks the fields and stores them; false (after telling the operator) keeps the page up.
    virtual bool Leave() { return true; }
    // The page becomes the visible one.
    virtual void OnSetActive() {}

protected:
    // Reads a number or an integer from an edit; on failure tells the operator "Please enter a
    // number." (or "Please enter an integer."), selects the edit's text and returns false.
    bool ReadNumber(QLineEdit* edit, double& value);
    bool ReadInteger(QLineEdit* edit, int& value);
    // As ReadNumber and ReadInteger, and a value below `least` is refused with "Please enter a
    // number of at least 0." (or "Please enter an integer of at least 1.").
    bool ReadNumberAtLeast(QLineEdit* edit, double least, double& value);
    bool ReadIntegerAtLeast(QLineEdit* edit, int least, int& value);

    // Shows a number with at most 12 significant digits. An edit the operator leaves as shown
    // gives back the number itself with all its digits (ReadNumber), so that opening a page and
    // pressing OK never changes a value that has more digits than the edit shows.
    void ShowNumber(QLineEdit* edit, double value);
    // Shows a text of the document; left as shown, the same bytes come back (ReadText), whatever
    // their encoding. A text the operator typed goes back as UTF-8.
    void ShowText(QLineEdit* edit, const std::string& text);
    std::string ReadText(const QLineEdit* edit) const;
};

// The caption of the field-validation messages: the program's title.
inline constexpr const char* kProgramTitle = "Tarvel Technologies 47310C";
inline constexpr const char* kEnterNumberText = "Please enter a number.";
inline constexpr const char* kEnterIntegerText = "Please enter an integer.";

}  // namespace kv
