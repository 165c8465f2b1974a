#include "app/GpibSelectDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/TextConversion.h"
#include "doc/CGpibSelectDlg.h"

namespace kv {

namespace {

void SetTextIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}

}  // namespace

GpibSelectDialog::GpibSelectDialog(CGpibSelectDlg& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      cardCombo_(new QComboBox(this)),
      instrumentCombo_(new QComboBox(this)),
      cardAddress_(new QLineEdit(this)),
      instrumentAddress_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      find_(new QPushButton(QStringLiteral("Find"), this)),
      test_(new QPushButton(QStringLiteral("Test"), this)),
      abort_(new QPushButton(QStringLiteral("Abort"), this)),
      settings_(new QPushButton(QStringLiteral("Settings..."), this)),
      progress_(new QProgressBar(this)),
      problems_(new QLabel(this)),
      digits_(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this)) {
    setObjectName(QStringLiteral("GpibSelectDialog"));
    cardCombo_->setObjectName(QStringLiteral("cardType"));
    instrumentCombo_->setObjectName(QStringLiteral("instrumentType"));
    cardAddress_->setObjectName(QStringLiteral("cardAddress"));
    instrumentAddress_->setObjectName(QStringLiteral("instrumentAddress"));

    numberWidth_ = cardAddress_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6 + 12;
    cardCombo_->setMinimumContentsLength(28);
    instrumentCombo_->setMinimumContentsLength(28);
    ok_->setDefault(true);
    progress_->setTextVisible(false);

    auto* types = new QGroupBox(this);
    auto* typeGrid = new QGridLayout(types);
    typeGrid->addWidget(new QLabel(QStringLiteral("GPIB Card Type"), types), 0, 0);
    typeGrid->addWidget(cardCombo_, 0, 1);
    typeGrid->addWidget(new QLabel(QStringLiteral("Instrument Type"), types), 1, 0);
    typeGrid->addWidget(instrumentCombo_, 1, 1);
    typeGrid->setColumnStretch(1, 1);

    auto* addresses = new QGroupBox(QStringLiteral("Address"), this);
    auto* addressGrid = new QVBoxLayout(addresses);
    addressGrid->addWidget(cardAddress_);
    addressGrid->addWidget(instrumentAddress_);

    auto* buttons = new QVBoxLayout;
    settings_->setObjectName(QStringLiteral("analyzerSettings"));
    settings_->setToolTip(QStringLiteral("The chosen analyzer's own settings"));
    for (QPushButton* b : {ok_, cancel_, find_, test_, settings_, abort_}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(types, 0, 0);
    grid->addWidget(addresses, 0, 1);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->addWidget(progress_, 1, 0, 1, 2);
    problems_->setObjectName(QStringLiteral("componentProblems"));
    problems_->setWordWrap(true);
    problems_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(problems_, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    connect(cardCombo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!syncing_) {
            model_.SelectCard(index);
            SyncFromModel();
        }
    });
    connect(instrumentCombo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!syncing_) {
            model_.instrumentIndex = index;
            SyncFromModel();
        }
    });
    connect(cardAddress_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!syncing_) {
            model_.cardAddress = text.toStdString();
        }
    });
    connect(instrumentAddress_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!syncing_) {
            model_.instrumentAddress = text.toStdString();
        }
    });
    connect(ok_, &QPushButton::clicked, this, &GpibSelectDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &GpibSelectDialog::reject);
    connect(find_, &QPushButton::clicked, this, [this] {
        model_.Find();
        SyncFromModel();
    });
    connect(test_, &QPushButton::clicked, this, [this] {
        model_.Test();
        SyncFromModel();
    });
    connect(abort_, &QPushButton::clicked, this, [this] { model_.Abort(); });
    connect(settings_, &QPushButton::clicked, this, [this] {
        model_.EditSettings();
        SyncFromModel();
    });

    SyncFromModel();
}

void GpibSelectDialog::FillCombo(QComboBox* combo, const std::vector<ComponentInfo>& list) {
    bool same = combo->count() == static_cast<int>(list.size());
    for (int i = 0; same && i < combo->count(); ++i) {
        same = combo->itemText(i) == FromCore(list[static_cast<std::size_t>(i)].name);
    }
    if (!same) {
        combo->clear();
        for (const ComponentInfo& c : list) {
            combo->addItem(FromCore(c.name));
        }
    }
}

void GpibSelectDialog::ShowAddressKind() {
    // Bus addresses are decimal numbers; a card that reads texts (a host name, a device name)
    // takes anything.
    const bool text = model_.TextAddresses();
    const int width = text ? numberWidth_ * 5 : numberWidth_;
    for (QLineEdit* edit : {cardAddress_, instrumentAddress_}) {
        edit->setValidator(text ? nullptr : digits_);
        edit->setMinimumWidth(width);
        edit->setMaximumWidth(width);
    }
}

void GpibSelectDialog::SyncFromModel() {
    syncing_ = true;
    setWindowTitle(FromCore(model_.caption.empty() ? model_.title : model_.caption));
    FillCombo(cardCombo_, model_.cards);
    FillCombo(instrumentCombo_, model_.instruments);
    cardCombo_->setCurrentIndex(model_.cardIndex < cardCombo_->count() ? model_.cardIndex : -1);
    instrumentCombo_->setCurrentIndex(
        model_.instrumentIndex < instrumentCombo_->count() ? model_.instrumentIndex : -1);
    ShowAddressKind();
    SetTextIfChanged(cardAddress_, FromCore(model_.cardAddress));
    SetTextIfChanged(instrumentAddress_, FromCore(model_.instrumentAddress));
    ok_->setEnabled(model_.okEnabled);
    cancel_->setEnabled(model_.cancelEnabled);
    find_->setEnabled(model_.findEnabled);
    find_->setVisible(model_.findVisible);
    test_->setEnabled(model_.testEnabled);
    // Only an analyzer that describes settings of its own has a page to show.
    settings_->setEnabled(model_.testEnabled && !model_.searching && model_.SettingsAvailable());
    abort_->setEnabled(model_.abortEnabled);
    abort_->setVisible(model_.abortVisible);
    progress_->setRange(0, model_.progressRange > 0 ? model_.progressRange : 1);
    progress_->setValue(qMin(model_.progressPosition, progress_->maximum()));
    progress_->setVisible(model_.progressVisible);
    // The combo boxes and the addresses are the search's while it runs.
    cardCombo_->setEnabled(!model_.searching);
    instrumentCombo_->setEnabled(!model_.searching);
    cardAddress_->setReadOnly(model_.searching);
    instrumentAddress_->setReadOnly(model_.searching);
    QString problems;
    for (const ComponentProblem& p : model_.problems) {
        problems += QLatin1Char('\n') + FromCore(ProblemLine(p));
    }
    problems_->setText(QStringLiteral("Component files that could not be used:") + problems);
    problems_->setVisible(!model_.problems.empty());
    syncing_ = false;
}

void GpibSelectDialog::accept() {
    if (model_.searching || !model_.okEnabled) {
        return;
    }
    QDialog::accept();
}

void GpibSelectDialog::reject() {
    if (model_.searching) {
        model_.Abort();
        return;
    }
    if (!model_.cancelEnabled) {
        return;
    }
    QDialog::reject();
}

}  // namespace kv
