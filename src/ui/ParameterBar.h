#pragma once

#include <QWidget>

#include <memory>

class FrameMode;
class NumericField;
class PulseDesignView;
class QLineEdit;
class ToolSession;

// The wave parameter bar: the length field (control 2000) and the second field (2001),
// which selects the segment in the standard editor, sets the deviation in the FM editor
// and the amplitude in the pulse designer. A field is confirmed by Enter, or when it
// loses the focus with text typed but not yet confirmed. With samples in Hz the deviation
// field shows the span of the samples each time the FM window is recomputed from them.
class ParameterBar : public QWidget {
    Q_OBJECT
public:
    // The mode's fields, captions and pictures. The bar shares the mode with the window,
    // whose children go only after its own members.
    ParameterBar(ToolSession& session, std::shared_ptr<const FrameMode> mode,
                 QWidget* parent = nullptr);
    ~ParameterBar() override;

    // The field with control id 2000 or 2001; nullptr for any other id.
    QLineEdit* Control(int controlId) const;

    // Texts the document shows; they replace what was typed and clear the modified mark.
    void ShowLengthText(const QString& text);
    void ShowSecondText(const QString& text);

    // Applies what was typed: the length first, then the second field. In the pulse
    // designer the amplitude field's text goes to the design even when it was not changed.
    void Confirm();

    // The pulse designer: the length field shows the design's duration in seconds, the
    // second field its amplitude, which a confirmation hands to the design.
    void FollowPulseDesign(PulseDesignView& view);

signals:
    // A field's text was applied: the document, and so the commands' enabling, may have
    // changed.
    void Confirmed();

private:
    NumericField* MakeField(int controlId);
    QWidget* MakePicture(int picture, const QString& caption, const QString& toolTip);
    void ConfirmSecondField();
    static void ShowText(NumericField* field, const QString& text);

    ToolSession& session_;
    std::shared_ptr<const FrameMode> mode_;
    NumericField* lengthField_ = nullptr;
    NumericField* secondField_ = nullptr;
    PulseDesignView* pulse_ = nullptr;
};
