#include "ui/PulseEditorWidget.h"

#include "platform/qt/MessageOwner.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"
#include "ui/PulseEditorPlacement.h"
#include "ui/PulseItemTable.h"
#include "ui/PulseOptionsWidget.h"
#include "ui/PulseTrainPictures.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

enum LineCommand { kAppendLine, kInsertLine, kDeleteLine, kClearLines };
enum SectionCommand {
    kAppendSection,
    kInsertSection,
    kDeleteSection,
    kRemoveAll,
    kPrevious,
    kNext
};

} // namespace

PulseEditorWidget::PulseEditorWidget(PulseEditor& form, QWidget* parent)
    : QDialog(parent, Qt::Window), form_(form) {
    setObjectName(QStringLiteral("PulseEditor"));
    setModal(false);
    table_ = new PulseItemTable(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setFrameShape(QFrame::StyledPanel);

    auto* layout = new QVBoxLayout(this);
    BuildMenu();
    auto* body = new QHBoxLayout;
    auto* structure = new QGroupBox(tr("Pulse Structure"), this);
    auto* structureLayout = new QVBoxLayout(structure);
    structureLayout->addWidget(table_);
    structureLayout->addWidget(BuildLineButtons());
    body->addWidget(structure, 1);
    body->addWidget(BuildSideControls());
    layout->addLayout(body);
    layout->addWidget(status_);

    connect(table_, &PulseItemTable::EditStarted, this, [this](int line, int column) {
        form_.BeginCellEdit(line, column);
        RefreshEnabling();
    });
    connect(table_, &PulseItemTable::EditCancelled, this, [this] {
        form_.CancelCellEdit();
        RefreshEnabling();
    });
    connect(table_, &PulseItemTable::CellEdited, this, &PulseEditorWidget::StoreCell);
    connect(table_, &PulseItemTable::InsertKeyPressed, this,
            [this] { RunLineCommand(kInsertLine); });
    connect(table_, &PulseItemTable::DeleteKeyPressed, this,
            [this] { RunLineCommand(kDeleteLine); });
    connect(table_, &PulseItemTable::ColumnHovered, this, &PulseEditorWidget::ShowHint);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        const int line = table_->SelectedLine();
        form_.SelectLine(line >= 0 ? std::optional<int>(line) : std::nullopt);
        RefreshEnabling();
        emit SelectedLineChanged(line);
    });
    table_->viewport()->installEventFilter(this);
    Refresh();
}

PulseEditorWidget::~PulseEditorWidget() {
    if (placed_) {
        PulseEditorPlacement::Save(form_, *this, *table_);
    }
}

// --- building -------------------------------------------------------------------------

void PulseEditorWidget::BuildMenu() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    QMenu* section = bar->addMenu(tr("&Section"));
    const auto add = [this](QMenu* menu, const QString& text, int command) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, [this, command] { RunSectionCommand(command); });
        return action;
    };
    add(section, tr("&Append"), kAppendSection);
    add(section, tr("&Insert"), kInsertSection);
    add(section, tr("&Delete"), kDeleteSection);
    add(section, tr("&Remove All"), kRemoveAll);
    QMenu* view = bar->addMenu(tr("&View"));
    previous_ = add(view, tr("&Previous Section"), kPrevious);
    next_ = add(view, tr("&Next Section"), kNext);
    QAction* options = bar->addAction(tr("&Options..."));
    connect(options, &QAction::triggered, this, &PulseEditorWidget::OpenOptions);
}

QWidget* PulseEditorWidget::BuildSideControls() {
    auto* side = new QWidget(this);
    auto* grid = new QGridLayout(side);
    grid->setContentsMargins(0, 0, 0, 0);
    units_ = new QComboBox(side);
    units_->setObjectName(QStringLiteral("timeUnits"));
    for (const PulseTimeUnitName& unit : PulseTimeUnits::All()) {
        units_->addItem(QString::fromLatin1(unit.name));
    }
    connect(units_, &QComboBox::activated, this, &PulseEditorWidget::ChangeUnit);
    repeat_ = new QLineEdit(side);
    repeat_->setObjectName(QStringLiteral("repeat"));
    repeat_->installEventFilter(this);
    connect(repeat_, &QLineEdit::textEdited, this, [this](const QString& text) {
        form_.EditRepeat(text.toStdString());
        RefreshEnabling();
    });
    apply_ = MakeButton(tr("Apply"), "apply");
    connect(apply_, &QPushButton::clicked, this, &PulseEditorWidget::ApplyRepeat);
    start_ = new QLabel(side);
    start_->setObjectName(QStringLiteral("start"));
    duration_ = new QLineEdit(side);
    duration_->setObjectName(QStringLiteral("duration"));
    // The table's times make the duration, so nothing typed here could be kept: the field
    // is disabled, as the parameter bar's duration field is in the pulse designer.
    duration_->setEnabled(false);
    duration_->setToolTip(tr("Duration of one pass of the section, made by the table's times"));

    grid->addWidget(new QLabel(tr("Time units"), side), 0, 0);
    grid->addWidget(units_, 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Repeat"), side), 1, 0);
    grid->addWidget(repeat_, 1, 1);
    grid->addWidget(apply_, 1, 2);
    grid->addWidget(new QLabel(tr("Start:"), side), 2, 0);
    grid->addWidget(start_, 2, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Duration:"), side), 3, 0);
    grid->addWidget(duration_, 3, 1, 1, 2);
    grid->addWidget(BuildTrainStyles(), 4, 0, 1, 3);
    grid->setRowStretch(5, 1);
    return side;
}

QWidget* PulseEditorWidget::BuildTrainStyles() {
    auto* box = new QGroupBox(tr("Train Style Specification"), this);
    auto* layout = new QVBoxLayout(box);
    styles_ = new QButtonGroup(box);
    for (const TrainStyleNames& names : PulseTrainStyles::All()) {
        const int style = PulseTrainStyles::Stored(names.style);
        auto* radio = new QRadioButton(tr(names.caption), box);
        radio->setObjectName(QStringLiteral("train%1").arg(style));
        radio->setIcon(PulseTrainPictures::Of(style));
        radio->setIconSize(PulseTrainPictures::kSize);
        radio->setEnabled(PulseEditor::CanChooseTrain(names.style));
        if (!radio->isEnabled()) {
            radio->setToolTip(tr("Pulse templates are not available in this version."));
        }
        styles_->addButton(radio, style);
        layout->addWidget(radio);
    }
    connect(styles_, &QButtonGroup::idClicked, this, &PulseEditorWidget::ChangeTrain);
    return box;
}

QWidget* PulseEditorWidget::BuildLineButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    append_ = MakeButton(tr("&Append"), "appendLine");
    insert_ = MakeButton(tr("&Insert"), "insertLine");
    delete_ = MakeButton(tr("&Delete"), "deleteLine");
    clear_ = MakeButton(tr("&Clear All"), "clearLines");
    const std::pair<QPushButton*, int> buttons[] = {{append_, kAppendLine},
                                                    {insert_, kInsertLine},
                                                    {delete_, kDeleteLine},
                                                    {clear_, kClearLines}};
    for (const auto& [button, command] : buttons) {
        connect(button, &QPushButton::clicked, this,
                [this, command = command] { RunLineCommand(command); });
        layout->addWidget(button);
    }
    // The window closes from its title bar; its Close button exists but is never shown, so
    // Alt+C stays with Clear All.
    auto* close = MakeButton(tr("&Close"), "close");
    close->hide();
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    return row;
}

// No button is a default button: Enter must not press one (the window swallows it).
QPushButton* PulseEditorWidget::MakeButton(const QString& text, const char* name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// --- showing the form -----------------------------------------------------------------

void PulseEditorWidget::Refresh() {
    setWindowTitle(ToQ(form_.Title()));
    table_->setHorizontalHeaderLabels(
        {ToQ(form_.ColumnTitle(0)), ToQ(form_.ColumnTitle(1)), ToQ(form_.ColumnTitle(2))});
    std::vector<std::array<QString, 3>> lines;
    for (int line = 0; line < form_.LineCount(); ++line) {
        lines.push_back(
            {ToQ(form_.Cell(line, 0)), ToQ(form_.Cell(line, 1)), ToQ(form_.Cell(line, 2))});
    }
    {
        const QSignalBlocker blocker(table_);
        table_->ShowLines(lines);
        table_->SelectLine(form_.SelectedLine().value_or(-1));
    }
    const QSignalBlocker unitBlocker(units_);
    units_->setCurrentIndex(PulseTimeUnits::Stored(form_.TimeUnit()));
    if (!repeat_->hasFocus() || !form_.CanApplyRepeat()) {
        repeat_->setText(ToQ(form_.RepeatText()));
    }
    start_->setText(ToQ(form_.StartText()));
    duration_->setText(ToQ(form_.DurationText()));
    styles_->button(PulseTrainStyles::Stored(form_.Train()))->setChecked(true);
    RefreshEnabling();
}

void PulseEditorWidget::RefreshEnabling() {
    apply_->setEnabled(form_.CanApplyRepeat());
    append_->setEnabled(form_.CanAppendLine());
    insert_->setEnabled(form_.CanInsertLine());
    delete_->setEnabled(form_.CanDeleteLine());
    previous_->setEnabled(form_.CanGoPrevious());
    next_->setEnabled(form_.CanGoNext());
}

void PulseEditorWidget::AfterChange() {
    Refresh();
    emit DesignChanged();
}

// --- actions --------------------------------------------------------------------------
// Each action owns the messages of its checks: they appear over this window, where the
// user typed, not over the main window.

void PulseEditorWidget::StoreCell(int line, int column, const QString& text) {
    const MessageOwner owner(this);
    const bool accepted = form_.EndCellEdit(line, column, text.toStdString());
    // A refused text shows the stored value again; an accepted one may change the Start
    // and Duration shown and every later section.
    if (accepted) {
        AfterChange();
    } else {
        table_->SetCellText(line, column, ToQ(form_.Cell(line, column)));
        RefreshEnabling();
    }
}

void PulseEditorWidget::ChangeTrain(int style) {
    const MessageOwner owner(this);
    if (form_.ChangeTrain(PulseTrainStyles::FromStored(style))) {
        AfterChange();
    } else {
        Refresh(); // Cancel: the radio buttons show the stored style again
    }
}

// The list holds the units in the order of their stored numbers.
void PulseEditorWidget::ChangeUnit(int unit) {
    const MessageOwner owner(this);
    if (form_.ChangeTimeUnit(PulseTimeUnits::FromStored(unit))) {
        AfterChange();
    }
    table_->setFocus(Qt::OtherFocusReason);
}

void PulseEditorWidget::ApplyRepeat() {
    const MessageOwner owner(this);
    if (!form_.CanApplyRepeat()) {
        return;
    }
    form_.ApplyRepeat();
    repeat_->setText(ToQ(form_.RepeatText()));
    AfterChange();
}

void PulseEditorWidget::RunLineCommand(int command) {
    const MessageOwner owner(this);
    if (table_->Editing()) {
        return;
    }
    switch (command) {
    case kAppendLine:
        form_.AppendLine();
        break;
    case kInsertLine:
        form_.InsertLine();
        break;
    case kDeleteLine:
        form_.DeleteLine();
        break;
    default:
        form_.ClearAllLines();
        break;
    }
    AfterChange();
    emit SelectedLineChanged(form_.SelectedLine().value_or(-1));
}

void PulseEditorWidget::RunSectionCommand(int command) {
    const MessageOwner owner(this);
    switch (command) {
    case kAppendSection:
        form_.AppendSection();
        break;
    case kInsertSection:
        form_.InsertSection();
        break;
    case kDeleteSection:
        form_.DeleteSection();
        break;
    case kRemoveAll:
        form_.RemoveAllSections();
        break;
    case kPrevious:
        form_.PreviousSection();
        break;
    default:
        form_.NextSection();
        break;
    }
    AfterChange();
    table_->setFocus(Qt::OtherFocusReason);
}

void PulseEditorWidget::ShowHint(int column) {
    status_->setText(column < 0 ? QString() : ToQ(form_.Hint(column)));
}

void PulseEditorWidget::OpenOptions() {
    PulseOptionsWidget dialog(form_.Options(), this);
    dialog.exec();
}

// --- keys, focus and placement --------------------------------------------------------

// Esc and Enter never close the window, nor press a button.
void PulseEditorWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QApplication::focusWidget() == repeat_) {
            ApplyRepeat();
        }
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PulseEditorWidget::reject() {
    hide();
}

bool PulseEditorWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == repeat_ && event->type() == QEvent::FocusOut) {
        ApplyRepeat();
    } else if (watched == table_->viewport() && event->type() == QEvent::Leave) {
        ShowHint(-1);
    }
    return QDialog::eventFilter(watched, event);
}

void PulseEditorWidget::showEvent(QShowEvent* event) {
    if (!placed_) {
        PulseEditorPlacement::Restore(form_, *this, *table_);
        placed_ = true;
    }
    QDialog::showEvent(event);
    emit VisibilityChanged();
}

void PulseEditorWidget::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (placed_) {
        PulseEditorPlacement::Save(form_, *this, *table_);
    }
    emit VisibilityChanged();
}
