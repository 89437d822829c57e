#include "ui/ParameterBar.h"

#include "app/ToolSession.h"
#include "document/WaveDoc.h"
#include "ui/BarIcons.h"
#include "ui/CommandIds.h"
#include "ui/FrameMode.h"
#include "ui/NumericField.h"
#include "ui/PulseDesignView.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

// The fields' font as the bar has always used it; a system without the face takes its
// own sans-serif font of the same size.
constexpr int kFieldFontHeight = 14;
constexpr int kFieldFontWeight = 500;
const char* const kFieldFontFace = "MS Sans Serif";

} // namespace

ParameterBar::ParameterBar(ToolSession& session, std::shared_ptr<const FrameMode> mode,
                           QWidget* parent)
    : QWidget(parent), session_(session), mode_(std::move(mode)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);

    layout->addWidget(MakePicture(static_cast<int>(BarIcons::Picture::Length), tr("Length"),
                                  mode_->LengthDescription()));
    lengthField_ = MakeField(ControlId::kLengthField);
    lengthField_->SetValidator(NumericField::IsDigit);
    lengthField_->setToolTip(tr("Waveform length in points (Enter applies)"));
    lengthField_->setEnabled(mode_->LengthEditable());
    layout->addWidget(lengthField_);
    layout->addSpacing(18);

    layout->addWidget(MakePicture(static_cast<int>(mode_->SecondPicture()), mode_->SecondCaption(),
                                  mode_->SecondDescription()));
    secondField_ = MakeField(ControlId::kSecondField);
    secondField_->SetValidator(mode_->SecondFilter());
    secondField_->setToolTip(mode_->SecondDescription() + tr(" (Enter applies)"));
    layout->addWidget(secondField_);
    layout->addStretch(1);
    if (mode_->ShowsSampleDeviation()) {
        session_.Document().ShowFmDeviationWith(
            [this](const std::string& text) { ShowSecondText(QString::fromStdString(text)); });
    }
}

// The document outlives the bar; a later window recomputation must not reach a gone field.
ParameterBar::~ParameterBar() {
    if (mode_->ShowsSampleDeviation()) {
        session_.Document().ShowFmDeviationWith(nullptr);
    }
}

QWidget* ParameterBar::MakePicture(int picture, const QString& caption, const QString& toolTip) {
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* image = new QLabel(box);
    const int side = fontMetrics().height() + 2;
    image->setPixmap(BarIcons::ForPicture(static_cast<BarIcons::Picture>(picture))
                         .pixmap(QSize(side, side), devicePixelRatioF()));
    layout->addWidget(image);
    layout->addWidget(new QLabel(caption, box));
    box->setToolTip(toolTip);
    return box;
}

NumericField* ParameterBar::MakeField(int controlId) {
    auto* field = new NumericField(this);
    field->setObjectName(controlId == ControlId::kLengthField ? QStringLiteral("lengthField")
                                                              : QStringLiteral("secondField"));
    field->setProperty("controlId", controlId);
    field->SetFieldFont(kFieldFontHeight, kFieldFontWeight, QString::fromLatin1(kFieldFontFace));
    field->setMaxLength(controlId == ControlId::kLengthField ? 19 : 80);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    connect(field, &NumericField::Confirmed, this, &ParameterBar::Confirm);
    return field;
}

QLineEdit* ParameterBar::Control(int controlId) const {
    if (controlId == ControlId::kLengthField) {
        return lengthField_;
    }
    return controlId == ControlId::kSecondField ? secondField_ : nullptr;
}

void ParameterBar::ShowText(NumericField* field, const QString& text) {
    const QSignalBlocker blocker(field);
    field->ShowValue(text);
}

void ParameterBar::ShowLengthText(const QString& text) {
    ShowText(lengthField_, text);
}

void ParameterBar::ShowSecondText(const QString& text) {
    ShowText(secondField_, text);
}

// The modified marks are cleared before the text is applied: applying may show a
// message box, and the focus it takes must not confirm the same text a second time.
void ParameterBar::Confirm() {
    if (mode_->FeedsPulseDesign()) {
        if (pulse_ != nullptr) {
            const QString text = secondField_->text();
            secondField_->ClearModifiedMark();
            pulse_->ConfirmAmplitude(text);
            update();
            emit Confirmed();
        }
        return;
    }
    if (lengthField_->isModified()) {
        const std::string text = lengthField_->text().toStdString();
        lengthField_->ClearModifiedMark();
        session_.Document().SetLength(text);
    }
    if (secondField_->isModified()) {
        ConfirmSecondField();
    }
    emit Confirmed();
}

void ParameterBar::FollowPulseDesign(PulseDesignView& view) {
    pulse_ = &view;
    lengthField_->setToolTip(tr("Total duration of the pulse design in seconds"));
    connect(&view, &PulseDesignView::DurationTextChanged, this, &ParameterBar::ShowLengthText);
    connect(&view, &PulseDesignView::AmplitudeTextChanged, this, &ParameterBar::ShowSecondText);
    connect(&view, &PulseDesignView::AmplitudeEnabledChanged, secondField_, &QWidget::setEnabled);
}

void ParameterBar::ConfirmSecondField() {
    const std::string text = secondField_->text().toStdString();
    secondField_->ClearModifiedMark();
    mode_->ApplySecondField(session_, text,
                            [this](const QString& shown) { ShowText(secondField_, shown); });
    update();
    secondField_->setFocus();
}
