#include "setup/suggest_config_form.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "setup/setup_tips.h"
#include "uicommon/help_window.h"

namespace corvane {

namespace {

const QString kTipTitle = QStringLiteral("Configuration Tip");

QString TipFor(SuggestionKind kind) {
    switch (kind) {
        case SuggestionKind::UseAtz:
            return "The reset string puts the modem into a known state before each call; ATZ "
                   "is understood by nearly every modem.";
        case SuggestionKind::ClassOne:
            return "Class 1 leaves the fax protocol to Corvane and works with the widest range "
                   "of modems and fax machines.";
        case SuggestionKind::Rate9600:
            return "9600 bps is slower but far less sensitive to noisy lines; most failed faxes "
                   "go through at this rate.";
        case SuggestionKind::RecommendedInit:
            return "The init string prepares the modem before each fax; this one is known to "
                   "work with the modem you selected.";
        case SuggestionKind::EcmOff:
            return "Error control needs both sides and a good line; without it pages still go "
                   "through, and many problems disappear.";
    }
    return {};
}

QString Heading(SuggestionSection section) {
    switch (section) {
        case SuggestionSection::ModemReset:
            return QStringLiteral("   Modem Reset");
        case SuggestionSection::Sending:
            return QStringLiteral("   Sending");
        case SuggestionSection::Receiving:
            return QStringLiteral("    Receiving");
    }
    return {};
}

}  // namespace

TSuggestConfigForm::TSuggestConfigForm(const QString& suggestedSendInit,
                                       const QString& suggestedReceiveInit,
                                       const ModemConfig& current, bool showSending,
                                       bool showReceiving, QWidget* parent)
    : QDialog(parent),
      logic_(suggestedSendInit, suggestedReceiveInit, current, showSending, showReceiving) {
    SetHelpTopic(this, "setup");
    setObjectName("SuggestConfigForm");
    setWindowTitle("Corvane Configuration Suggestions");
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto* intro = new QLabel(
        "Based on the modem you have selected, the following  configuration changes are "
        "suggested. Uncheck those you do not wish to change:",
        this);
    intro->setWordWrap(true);
    grid->addWidget(intro, row++, 0, 1, 2);
    boxes_.assign(logic_.items().size(), nullptr);
    for (SuggestionSection section : {SuggestionSection::ModemReset, SuggestionSection::Sending,
                                      SuggestionSection::Receiving}) {
        if (!logic_.sectionShown(section)) continue;
        auto* heading = new QLabel(Heading(section), this);
        heading->setAutoFillBackground(true);
        heading->setStyleSheet("background-color: #00007f; color: white; font-weight: bold;");
        grid->addWidget(heading, row++, 0, 1, 2);
        if (!logic_.sectionHasChanges(section))
            grid->addWidget(new QLabel("No changes", this), row++, 0);
        for (size_t i = 0; i < logic_.items().size(); ++i) {
            const Suggestion& item = logic_.items()[i];
            if (item.section != section) continue;
            auto* box = new QCheckBox(item.text, this);
            box->setChecked(item.ticked);
            boxes_[i] = box;
            if (!item.applies) {
                box->hide();
                continue;
            }
            grid->addWidget(box, row, 0);
            grid->addWidget(MakeTipButton(this, kTipTitle, TipFor(item.kind)), row++, 1);
        }
    }
    grid->addWidget(new QLabel("Click OK to save changes", this), row++, 0);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, row, 0, 1, 2);
}

ModemConfig TSuggestConfigForm::result() {
    for (size_t i = 0; i < boxes_.size(); ++i)
        if (boxes_[i]) logic_.items()[i].ticked = boxes_[i]->isChecked();
    return logic_.applied();
}

bool ShowConfigSuggestions(QWidget* parent, const QString& suggestedSendInit,
                           const QString& suggestedReceiveInit, ModemConfig& config,
                           bool showSending, bool showReceiving) {
    TSuggestConfigForm form(suggestedSendInit, suggestedReceiveInit, config, showSending,
                            showReceiving, parent);
    if (form.exec() != QDialog::Accepted) return false;
    config = form.result();
    return true;
}

}  // namespace corvane
