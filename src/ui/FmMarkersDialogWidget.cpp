#include "ui/FmMarkersDialogWidget.h"

#include "document/DocumentView.h"
#include "document/WaveDoc.h"
#include "fm/FmMarkersDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kEntryTextLimit = 19;

QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name, int controlId) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setProperty("controlId", controlId);
    button->setAutoDefault(false);
    return button;
}

} // namespace

FmMarkersDialogWidget::FmMarkersDialogWidget(FmMarkersDialog& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("FmMarkersDialog"));
    setWindowTitle(tr("FM Markers Table"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Enter marker value"), this));
    auto* row = new QHBoxLayout;
    entry_ = new QComboBox(this);
    entry_->setObjectName(QStringLiteral("entry"));
    entry_->setProperty("controlId", 1005);
    entry_->setEditable(true);
    entry_->setInsertPolicy(QComboBox::NoInsert);
    entry_->lineEdit()->setMaxLength(kEntryTextLimit);
    entry_->setMinimumWidth(entry_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 18);
    connect(entry_->lineEdit(), &QLineEdit::returnPressed, this, &FmMarkersDialogWidget::OnAdd);
    row->addWidget(entry_, 1);
    row->addWidget(BuildSortGroup());
    layout->addLayout(row);
    layout->addWidget(BuildButtons());
    if (const std::string note = form_.DownloadNote(); !note.empty()) {
        auto* label = new QLabel(QString::fromStdString(note), this);
        label->setObjectName(QStringLiteral("downloadNote"));
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    ascend_->setChecked(form_.Ascending());
    descend_->setChecked(!form_.Ascending());
    ShowList();
}

QWidget* FmMarkersDialogWidget::BuildSortGroup() {
    auto* group = new QGroupBox(tr("Sort"), this);
    auto* layout = new QVBoxLayout(group);
    ascend_ = new QRadioButton(tr("Ascend"), group);
    ascend_->setObjectName(QStringLiteral("ascend"));
    ascend_->setProperty("controlId", 1006);
    descend_ = new QRadioButton(tr("Descend"), group);
    descend_->setObjectName(QStringLiteral("descend"));
    descend_->setProperty("controlId", 1007);
    layout->addWidget(ascend_);
    layout->addWidget(descend_);
    for (QRadioButton* button : {ascend_, descend_}) {
        connect(button, &QRadioButton::clicked, this, [this, button] {
            form_.SetAscending(button == ascend_);
            ShowList();
        });
    }
    return group;
}

QWidget* FmMarkersDialogWidget::BuildButtons() {
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* add = MakeButton(box, tr("&Add"), "add", 1004);
    auto* remove = MakeButton(box, tr("&Delete"), "delete", 1008);
    auto* removeAll = MakeButton(box, tr("&Remove All"), "removeAll", 1009);
    auto* store = MakeButton(box, tr("&Store && Update"), "store", 6);
    auto* close = MakeButton(box, tr("Close"), "close", 2);
    connect(add, &QPushButton::clicked, this, &FmMarkersDialogWidget::OnAdd);
    connect(remove, &QPushButton::clicked, this, &FmMarkersDialogWidget::OnDelete);
    connect(removeAll, &QPushButton::clicked, this, &FmMarkersDialogWidget::OnRemoveAll);
    connect(store, &QPushButton::clicked, this, &FmMarkersDialogWidget::OnStore);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* button : {add, remove, removeAll, store, close}) {
        layout->addWidget(button);
    }
    return box;
}

void FmMarkersDialogWidget::ShowList() {
    const QSignalBlocker blocker(entry_);
    entry_->clear();
    for (const std::string& text : form_.DisplayTexts()) {
        entry_->addItem(QString::fromStdString(text));
    }
    entry_->setCurrentIndex(-1);
    entry_->setEditText({});
}

int FmMarkersDialogWidget::SelectedRow() const {
    const int index = entry_->currentIndex();
    return index >= 0 && entry_->itemText(index) == entry_->currentText() ? index : -1;
}

void FmMarkersDialogWidget::OnAdd() {
    const QString typed = entry_->currentText();
    if (form_.Add(typed.toStdString()) == FmMarkersDialog::AddOutcome::Empty) {
        return;
    }
    ShowList();
    entry_->setEditText(typed);
    entry_->setFocus();
}

void FmMarkersDialogWidget::OnDelete() {
    if (form_.DeleteRow(SelectedRow())) {
        ShowList();
    }
}

void FmMarkersDialogWidget::OnRemoveAll() {
    form_.RemoveAll();
    ShowList();
}

void FmMarkersDialogWidget::OnStore() {
    if (form_.Store()) {
        accept();
    }
}

// Every way out but Store & Update (Close, Escape, the window's close box) passes here
// with Rejected; the form asks about unsaved changes once.
void FmMarkersDialogWidget::done(int result) {
    if (result != Accepted && !closing_) {
        closing_ = true;
        form_.Close();
    }
    QDialog::done(result);
}

bool FmMarkersDialogWidget::EditFmMarkers(QWidget* parent, WaveDoc& document,
                                          AppServices& services) {
    FmMarkersDialog form(services, document.Fm());
    form.Load();
    FmMarkersDialogWidget dialog(form, parent);
    if (dialog.exec() != Accepted) {
        return false;
    }
    document.RebuildMarkerBar();
    document.RebuildMarkerSamples();
    if (DocumentView* view = document.View()) {
        view->UpdateAllViews();
    }
    return true;
}
