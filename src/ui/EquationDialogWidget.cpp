#include "ui/EquationDialogWidget.h"

#include "synthesis/EquationDialog.h"
#include "ui/GenerationProgress.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kEditWidth = 120;
constexpr int kEquationWidth = 460;
constexpr int kHelpColumns = 3;

struct HelpGroup {
    const char* title;
    const char* lines;
};

// What the formula language knows, as the help panel lists it.
constexpr HelpGroup kHelp[] = {
    {"Operations", "+  -  *  /\n%   remainder of whole numbers\n^   power\n"
                   "<  >  =   comparison (1 or 0)\n&  |   and, or"},
    {"Functions", "sin(  cos(  tan(\ncotan(   cotangent\nln(   natural logarithm\n"
                  "log(   logarithm to base 10\nabs(   absolute value"},
    {"Constants", "pi = 3.14159265...\ne = 2.718281828"},
    {"Arguments", "p   point number\nname.wav   sample p of a waveform file\n"
                  "(name.wvf in the FM editor)"},
    {"Local constants", "amp = (Max - Min) / 2 in codes\nper = end pt - start pt + 1\n"
                        "f = 1 / per\nomg = 2 pi / per"},
};

} // namespace

EquationDialogWidget::EquationDialogWidget(EquationDialog& form, QWidget* parent)
    : GeneratorDialogWidget(form, parent), form_(form) {
    setWindowTitle(QStringLiteral("Equation Editor"));
    setObjectName(QStringLiteral("EquationEditor"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildEquationRow());
    auto* fields = new QHBoxLayout;
    fields->addWidget(BuildFieldGroup(QStringLiteral("Anchor"), {0, 1}));
    fields->addWidget(BuildFieldGroup(ToQ(form_.LevelGroupTitle()), {3, 2}));
    fields->addWidget(BuildAdjuster());
    layout->addLayout(fields);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* preview = buttons->addButton(QStringLiteral("&Preview"), QDialogButtonBox::ActionRole);
    preview->setObjectName(QStringLiteral("preview"));
    auto* defaults = buttons->addButton(QStringLiteral("&Default"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("default"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(preview, &QPushButton::clicked, this, &EquationDialogWidget::Preview);
    connect(defaults, &QPushButton::clicked, this, &EquationDialogWidget::RestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &EquationDialogWidget::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EquationDialogWidget::reject);
    layout->addWidget(buttons);
    layout->addWidget(BuildHelpPanel());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Refresh();
    if (const auto& position = form_.Position()) {
        PlaceAt(position->left, position->top);
    }
}

QPushButton* EquationDialogWidget::AddButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QWidget* EquationDialogWidget::BuildEquationRow() {
    auto* row = new QWidget(this);
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(ToQ(form_.EquationLabel()), row);
    equation_ = new QComboBox(row);
    equation_->setObjectName(QStringLiteral("equation"));
    equation_->setEditable(true);
    equation_->setInsertPolicy(QComboBox::NoInsert);
    equation_->setMinimumWidth(kEquationWidth);
    label->setBuddy(equation_);
    connect(equation_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { form_.SetEquationText(text.toStdString()); });
    connect(equation_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        form_.SelectStored(index);
        Refresh();
    });
    grid->addWidget(label, 0, 0);
    grid->addWidget(equation_, 0, 1, 1, 4);
    grid->setColumnStretch(1, 1);

    auto* store = AddButton(QStringLiteral("&Store"), QStringLiteral("store"));
    auto* remove = AddButton(QStringLiteral("&Remove"), QStringLiteral("remove"));
    auto* browse = AddButton(QStringLiteral("&Browse"), QStringLiteral("browse"));
    help_ = AddButton(QString(), QStringLiteral("operands"));
    connect(store, &QPushButton::clicked, this, [this] {
        form_.StoreEquation();
        Refresh();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        form_.RemoveEquation();
        Refresh();
    });
    connect(browse, &QPushButton::clicked, this, [this] {
        form_.Browse();
        Refresh();
    });
    connect(help_, &QPushButton::clicked, this, [this] {
        form_.ToggleHelpPanel();
        Refresh();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {store, remove, browse, help_}) {
        buttons->addWidget(button);
    }
    grid->addLayout(buttons, 1, 1, 1, 4);
    return row;
}

QWidget* EquationDialogWidget::BuildFieldGroup(const QString& title,
                                               std::initializer_list<int> fields) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (int index : fields) {
        const WaveField& field = form_.Field(index);
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("field%1").arg(field.controlId));
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(kEditWidth);
        connect(edit, &QLineEdit::textEdited, this, [this, index](const QString& text) {
            form_.SetFieldText(index, text.toStdString());
        });
        edits_[static_cast<std::size_t>(index)] = edit;
        auto* label = new QLabel(ToQ(field.label), group);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(ToQ(field.unit), group), row, 2);
        ++row;
    }
    return group;
}

QWidget* EquationDialogWidget::BuildAdjuster() {
    auto* group = new QGroupBox(QStringLiteral("Level Adjuster"), this);
    auto* grid = new QGridLayout(group);
    manual_ = new QRadioButton(QStringLiteral("Manual"), group);
    manual_->setObjectName(QStringLiteral("manual"));
    auto_ = new QRadioButton(QStringLiteral("Auto"), group);
    auto_->setObjectName(QStringLiteral("auto"));
    auto* choice = new QButtonGroup(group);
    choice->addButton(manual_);
    choice->addButton(auto_);
    scale_ = AddButton(QString(), QStringLiteral("scale"));
    connect(auto_, &QRadioButton::toggled, this, [this](bool checked) {
        form_.SetAutoMode(checked);
        Refresh();
    });
    connect(scale_, &QPushButton::clicked, this, [this] {
        form_.ToggleScale();
        Refresh();
    });
    const WaveField& cycles = form_.Field(4);
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QStringLiteral("field%1").arg(cycles.controlId));
    edit->setAlignment(Qt::AlignRight);
    connect(edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetFieldText(4, text.toStdString()); });
    edits_[4] = edit;
    grid->addWidget(manual_, 0, 0);
    grid->addWidget(auto_, 1, 0);
    grid->addWidget(scale_, 0, 1, 2, 1);
    grid->addWidget(new QLabel(ToQ(cycles.label), group), 2, 0);
    grid->addWidget(edit, 2, 1);
    return group;
}

QWidget* EquationDialogWidget::BuildHelpPanel() {
    helpPanel_ = new QWidget(this);
    helpPanel_->setObjectName(QStringLiteral("helpPanel"));
    auto* grid = new QGridLayout(helpPanel_);
    grid->setContentsMargins(0, 0, 0, 0);
    // Three groups a row, so that opening the panel makes the dialog taller, not wider.
    int index = 0;
    for (const HelpGroup& help : kHelp) {
        auto* group = new QGroupBox(QString::fromLatin1(help.title), helpPanel_);
        auto* box = new QVBoxLayout(group);
        auto* lines = new QLabel(QString::fromLatin1(help.lines), group);
        lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->addWidget(lines);
        box->addStretch(1);
        grid->addWidget(group, index / kHelpColumns, index % kHelpColumns);
        ++index;
    }
    return helpPanel_;
}

void EquationDialogWidget::Refresh() {
    for (int i = 0; i < form_.FieldCount(); ++i) {
        QLineEdit* edit = edits_[static_cast<std::size_t>(i)];
        const QSignalBlocker blocker(edit);
        edit->setText(ToQ(form_.Field(i).text));
    }
    {
        const QSignalBlocker blocker(equation_);
        equation_->clear();
        for (const std::string& entry : form_.StoredList()) {
            equation_->addItem(ToQ(entry));
        }
        equation_->setCurrentIndex(form_.SelectedIndex());
        equation_->setEditText(ToQ(form_.EquationText()));
    }
    {
        const QSignalBlocker autoBlocker(auto_);
        const QSignalBlocker manualBlocker(manual_);
        auto_->setChecked(form_.AutoMode());
        manual_->setChecked(!form_.AutoMode());
    }
    scale_->setText(ToQ(form_.ScaleButtonText()));
    scale_->setEnabled(form_.ScaleButtonEnabled());
    help_->setText(ToQ(form_.HelpButtonText()));
    helpPanel_->setVisible(form_.HelpPanelShown());
}
