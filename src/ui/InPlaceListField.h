#pragma once

#include <QLineEdit>
#include <QPointer>

// The field that edits one cell of a list in place. Enter hands the focus back to the
// list; Escape marks the edit as cancelled and hands the focus back too, so the list
// decides on its focus change whether to take the text. Tab and Shift+Tab ask the list to
// take the text and go on to the next or the previous cell.
class InPlaceListField : public QLineEdit {
    Q_OBJECT
public:
    explicit InPlaceListField(QWidget* list, QWidget* parent = nullptr);

    bool Cancelled() const { return cancelled_; }
    // Starts a new edit with the cell's text.
    void Begin(const QString& text);

signals:
    void Finished(bool cancelled);
    void Stepped(bool forward);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ReturnToList(bool cancelled);

    QPointer<QWidget> list_;
    bool cancelled_ = false;
};
