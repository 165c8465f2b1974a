#pragma once

// The page of an analyzer component's own settings, built from their description: a choice list,
// a text field (numbers with their unit and range), or a path with a file chooser per setting,
// each with its help text. OK checks every value against its description and stays open with a
// message while one does not fit.

#include <QDialog>
#include <string>
#include <vector>

#include "instrument/IComponentSettings.h"

class QWidget;

namespace kv {

class ComponentSettingsDialog : public QDialog {
    Q_OBJECT

public:
    ComponentSettingsDialog(const std::string& title, std::vector<SettingDescription>& settings,
                            QWidget* parent);

    // The field of a setting by its key (a QComboBox or a QLineEdit), for tests.
    QWidget* Field(const std::string& key) const;

public slots:
    void accept() override;

private:
    std::string ValueOf(std::size_t index) const;

    std::vector<SettingDescription>& settings_;
    std::vector<QWidget*> fields_;
};

}  // namespace kv
