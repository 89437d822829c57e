#pragma once

#include "view/AnchorRules.h"

#include <QLineEdit>
#include <QTimer>

// The anchor position editor: a small field shown beside an anchor handle. Enter takes
// the typed position when it is digits within the anchor's allowed range; anything else
// shows "Bad:" and the text for 2.5 seconds and then the text again, with the editor
// still open. Escape or the loss of the focus closes it without a change. Closed while it
// has the focus, it gives the focus back to the widget it lies on (the view).
class AnchorEditor : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kBadTextMilliseconds = 2500;

    explicit AnchorEditor(QWidget* parent = nullptr);

    // Opens the editor for anchor `index` (0 left, 1 right) holding `text`.
    void Open(int index, const QString& text, const AnchorRange& range);
    // Shows a new position while the anchor is dragged, without taking the focus.
    void Follow(int index, const QString& text);
    void Close();
    int AnchorIndex() const { return index_; }
    bool ShowingBadText() const { return badTimer_.isActive(); }

signals:
    void PositionAccepted(int index, long long position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Confirm();
    void RestoreAfterBadText();

    int index_ = 0;
    AnchorRange range_;
    QString typed_;
    QTimer badTimer_;
};
