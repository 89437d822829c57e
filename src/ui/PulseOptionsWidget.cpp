#include "ui/PulseOptionsWidget.h"

#include "pulse/PulseOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QCheckBox* UnboundCheck(const QString& text, QWidget* parent) {
    auto* check = new QCheckBox(text, parent);
    check->setEnabled(false);
    check->setToolTip(QString::fromUtf8(PulseOptions::UnboundNote()));
    return check;
}

QButtonGroup* RadioGroup(QGroupBox* box, QVBoxLayout* layout, const QStringList& texts,
                         const char* name) {
    auto* group = new QButtonGroup(box);
    group->setObjectName(QString::fromLatin1(name));
    for (int value = 0; value < texts.size(); ++value) {
        auto* radio = new QRadioButton(texts[value], box);
        group->addButton(radio, value);
        layout->addWidget(radio);
    }
    return group;
}

} // namespace

PulseOptionsWidget::PulseOptionsWidget(PulseOptions& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("PulseOptions"));
    setWindowTitle(tr("Pulse Options"));
    form_.BeginDialog();
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(BuildSegmentation());
    left->addWidget(BuildMemory());
    columns->addLayout(left);
    columns->addWidget(BuildDcApproximation(), 0, Qt::AlignTop);
    layout->addLayout(columns);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PulseOptionsWidget::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PulseOptionsWidget::reject);
    layout->addWidget(buttons);
    segmentation_->button(form_.DialogSegmentation())->setChecked(true);
    memory_->button(form_.DialogMemoryUse())->setChecked(true);
}

QWidget* PulseOptionsWidget::BuildSegmentation() {
    auto* box = new QGroupBox(tr("Segmentation"), this);
    auto* layout = new QVBoxLayout(box);
    segmentation_ = RadioGroup(box, layout,
                               {tr("Pulse As Sequence Allowed"), tr("Force Single Segment"),
                                tr("Force Pulse as Sequence (Minimize memory)")},
                               "segmentation");
    layout->addWidget(UnboundCheck(tr("Assign Section Base Duration"), box));
    return box;
}

QWidget* PulseOptionsWidget::BuildMemory() {
    auto* box = new QGroupBox(tr("Memory using"), this);
    auto* layout = new QVBoxLayout(box);
    memory_ = RadioGroup(box, layout,
                         {tr("Only unused memory is available"), tr("All memory is available")},
                         "memory");
    return box;
}

QWidget* PulseOptionsWidget::BuildDcApproximation() {
    auto* box = new QGroupBox(tr("DC Approximation"), this);
    auto* layout = new QVBoxLayout(box);
    QCheckBox* enable = UnboundCheck(tr("Enable / Disable"), box);
    enable->setChecked(form_.DcApproximation());
    layout->addWidget(enable);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(tr("Single-stepping"), box);
    singleStepping_ = new QLineEdit(QString::number(form_.SingleStepping()), box);
    singleStepping_->setObjectName(QStringLiteral("singleStepping"));
    singleStepping_->setEnabled(false);
    singleStepping_->setToolTip(QString::fromUtf8(PulseOptions::UnboundNote()));
    label->setToolTip(singleStepping_->toolTip());
    label->setEnabled(false);
    row->addWidget(label);
    row->addWidget(singleStepping_);
    layout->addLayout(row);
    layout->addWidget(UnboundCheck(tr("Auto Scaling on Vpp Modification"), box));
    return box;
}

void PulseOptionsWidget::accept() {
    form_.SetDialogSegmentation(segmentation_->checkedId());
    form_.SetDialogMemoryUse(memory_->checkedId());
    form_.Ok();
    QDialog::accept();
}

void PulseOptionsWidget::reject() {
    form_.Cancel();
    QDialog::reject();
}
