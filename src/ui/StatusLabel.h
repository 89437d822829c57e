#pragma once

#include <QLabel>

// A pane of the status bar whose text never widens the window: it asks for the room of
// its whole text while the bar has it, and draws the text cut off with "..." when the
// window is narrower (its tooltip then shows the whole text). A plain label makes its
// text the window's minimum width, so a long message pushed the window wider and moved
// the view under the bars.
class StatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit StatusLabel(QWidget* parent = nullptr);

    // The tooltip while the whole text is shown.
    void SetDescription(const QString& description) { description_ = description; }
    // How many characters the label keeps when the window is narrow (of a text at least
    // that long): the bar shortens the other panes first.
    void SetLeastCharacters(int count) { leastCharacters_ = count; }
    // The text as it is drawn in the room the label has now.
    QString ShownText() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString description_;
    int leastCharacters_ = 4;
};
