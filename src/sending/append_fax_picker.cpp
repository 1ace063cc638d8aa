#include "sending/append_fax_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/message_boxes.h"
#include "core/windows1252.h"
#include "logs/fax_data_module.h"
#include "logwindow/log_table_model.h"
#include "sending/edit_logic/append_picker.h"
#include "uicommon/help_window.h"
#include "viewing/show_viewer.h"

namespace corvane {

TSelectFaxToAppend::TSelectFaxToAppend(TFDM& fdm, QWidget* parent) : QDialog(parent), fdm_(fdm) {
    SetHelpTopic(this, "edit-fax");
    setWindowTitle("Select Fax To Append");
    xbase::XbaseTable& t = fdm_.FaxTable;
    recno_ = t.recNo();
    order_ = t.indexOrd();
    filter_ = t.filter();

    sort_ = new QComboBox(this);
    sort_->addItems(AppendPickerSorts());
    unsent_ = new QCheckBox("Show Only Unsent Faxes", this);
    archived_ = new QCheckBox("Show Archived Faxes", this);
    model_ = new LogTableModel(fdm_, LogKind::Outgoing, this);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->hide();
    auto* view = new QPushButton("View", this);
    auto* append = new QPushButton("&Append this fax", this);
    auto* cancel = new QPushButton("Cancel", this);
    connect(view, &QPushButton::clicked, this, &TSelectFaxToAppend::viewClicked);
    connect(append, &QPushButton::clicked, this, &TSelectFaxToAppend::appendClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(sort_, &QComboBox::currentIndexChanged, this, &TSelectFaxToAppend::applyView);
    connect(unsent_, &QCheckBox::toggled, this, &TSelectFaxToAppend::applyView);
    connect(archived_, &QCheckBox::toggled, this, &TSelectFaxToAppend::applyView);
    connect(grid_, &QTableView::doubleClicked, this, &TSelectFaxToAppend::appendClicked);

    auto* top = new QHBoxLayout;
    top->addWidget(sort_);
    top->addWidget(unsent_);
    top->addWidget(archived_);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(view);
    bottom->addStretch(1);
    bottom->addWidget(append);
    bottom->addWidget(cancel);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(grid_, 1);
    main->addLayout(bottom);
    resize(720, 420);
    applyView();
}

TSelectFaxToAppend::~TSelectFaxToAppend() {
    xbase::XbaseTable& t = fdm_.FaxTable;
    t.setOrder(order_);
    // The main window's own filter; it was accepted before, so it is again.
    (void)t.query(filter_);
    if (recno_ > 0) t.go(recno_);
}

void TSelectFaxToAppend::applyView() {
    xbase::XbaseTable& t = fdm_.FaxTable;
    t.setOrder(t.tagArea(AppendPickerTag(sort_->currentIndex()).toStdString()));
    const QString filter = AppendPickerFilter(unsent_->isChecked(), archived_->isChecked());
    (void)t.query(ToWindows1252(filter));
    t.goTop();
    model_->Refresh();
    if (model_->rowCount() > 0) grid_->selectRow(0);
}

QString TSelectFaxToAppend::currentDocument() const {
    const QModelIndex index = grid_->currentIndex();
    const int row = index.isValid() ? index.row() : -1;
    if (row < 0) return {};
    xbase::XbaseTable& t = fdm_.FaxTable;
    if (!t.go(model_->recnoAt(row))) return {};
    return t.fieldText("FAXDOC");
}

void TSelectFaxToAppend::viewClicked() {
    if (!grid_->currentIndex().isValid()) return;
    const PickedDocument doc = CheckPickedDocument(currentDocument());
    if (!doc.refusal.isEmpty()) {
        ShowInformation(doc.refusal);
        return;
    }
    ShowFaxViewer("Fax file", doc.path, nullptr, this);
}

void TSelectFaxToAppend::appendClicked() {
    if (!grid_->currentIndex().isValid()) return;
    const QString name = currentDocument();
    const PickedDocument doc = CheckPickedDocument(name);
    if (!doc.refusal.isEmpty()) {
        ShowInformation(doc.refusal);
        return;
    }
    if (!AskYesNo("Append this fax file?", "ATTACH")) return;
    chosen_ = name.trimmed();
    accept();
}

}  // namespace corvane
