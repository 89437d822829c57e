#include "ui/WaveParamDialogWidget.h"

#include "document/WaveDoc.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveParamDialog.h"
#include "ui/EquationDialogWidget.h"
#include "ui/GenerationProgress.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kEditWidth = 120;

} // namespace

WaveParamDialogWidget::WaveParamDialogWidget(WaveParamDialog& form, QWidget* parent)
    : GeneratorDialogWidget(form, parent), form_(form) {
    setWindowTitle(ToQ(form_.Title()));
    setObjectName(ToQ(form_.SectionName()));
    BuildLayout();
    Refresh();
    PlaceDialog();
}

QWidget* WaveParamDialogWidget::BuildGroup(const QString& title, const std::vector<int>& fields) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (int index : fields) {
        const WaveField& field = form_.Field(index);
        if (field.isCheckBox) {
            auto* check = new QCheckBox(ToQ(field.label), group);
            check->setObjectName(QStringLiteral("field%1").arg(field.controlId));
            connect(check, &QCheckBox::toggled, this,
                    [this, index](bool checked) { form_.SetChecked(index, checked); });
            checks_[index] = check;
            grid->addWidget(check, row++, 1, 1, 2);
            continue;
        }
        auto* label = new QLabel(ToQ(field.label), group);
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("field%1").arg(field.controlId));
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(kEditWidth);
        label->setBuddy(edit);
        connect(edit, &QLineEdit::textEdited, this, [this, index](const QString& text) {
            form_.SetFieldText(index, text.toStdString());
        });
        edits_[index] = edit;
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(ToQ(field.unit), group), row, 2);
        ++row;
    }
    return group;
}

void WaveParamDialogWidget::BuildLayout() {
    const int count = form_.FieldCount();
    edits_.assign(count, nullptr);
    checks_.assign(count, nullptr);

    auto* layout = new QVBoxLayout(this);
    auto* common = new QHBoxLayout;
    common->addWidget(BuildGroup(QStringLiteral("Anchor"), {0, 1}));
    // The level group lists Max above Min.
    common->addWidget(BuildGroup(ToQ(form_.LevelGroupTitle()), {3, 2}));
    layout->addLayout(common);
    if (count > 4) {
        std::vector<int> parameters;
        for (int i = 4; i < count; ++i) {
            parameters.push_back(i);
        }
        layout->addWidget(BuildGroup(QStringLiteral("Parameters"), parameters));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* preview = buttons->addButton(QStringLiteral("&Preview"), QDialogButtonBox::ActionRole);
    preview->setObjectName(QStringLiteral("preview"));
    auto* defaults = buttons->addButton(QStringLiteral("&Default"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("default"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(preview, &QPushButton::clicked, this, &WaveParamDialogWidget::Preview);
    connect(defaults, &QPushButton::clicked, this, &WaveParamDialogWidget::RestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &WaveParamDialogWidget::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WaveParamDialogWidget::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void WaveParamDialogWidget::Refresh() {
    for (int i = 0; i < form_.FieldCount(); ++i) {
        const WaveField& field = form_.Field(i);
        if (QCheckBox* check = checks_[i]) {
            const QSignalBlocker blocker(check);
            check->setChecked(field.checked);
        } else if (QLineEdit* edit = edits_[i]) {
            const QSignalBlocker blocker(edit);
            edit->setText(ToQ(field.text));
        }
    }
}

void WaveParamDialogWidget::PlaceDialog() {
    if (const auto& position = form_.Position()) {
        PlaceAt(position->left, position->top);
    }
}

bool WaveParamDialogWidget::RunWaveCommand(QWidget* parent, WaveDoc& document, int commandId) {
    if (!GeneratorCommands::IsWaveCommand(commandId)) {
        return false;
    }
    if (const auto form = GeneratorCommands::CreateParamForm(document, commandId)) {
        if (form->Stopped()) {
            return false;
        }
        form->Initialize();
        WaveParamDialogWidget dialog(*form, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    // The one Wave command without parameters has a face of its own.
    EquationDialog form(document);
    if (form.Stopped()) {
        return false;
    }
    form.Initialize();
    EquationDialogWidget dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}
