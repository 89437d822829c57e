#pragma once

#include <QStatusBar>

class QLabel;
class StatusLabel;

// The main window's status bar: the prompt of a command or drawing mode ("Ready" when
// there is none), the point and value under the cursor, and the instrument, channel and
// segment being edited. Its texts never make the window wider: a long one is shortened
// to the room the window leaves it.
class FrameStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit FrameStatusBar(QWidget* parent = nullptr);

    void ShowPrompt(const QString& text);
    void ShowPosition(const QString& text);
    // The host may change the channel or segment while the window is in the background,
    // so they are shown where the user can always see them. `parts` are the family and
    // what the mode edits.
    void ShowContext(const QStringList& parts);
    // The sample clock and the form of the last pulse render ("1600 S/s, single segment of
    // 96 points"), or why it failed; it describes the design as it was rendered, so it is
    // cleared when the design changes or the channel switches.
    void ShowPulseRender(const QString& text);
    // What the last download left out (the FM markers of a wide-FM family); empty text
    // when it took everything. Kept until the next download: a prompt would hide it at the
    // next move of the mouse over a menu.
    void ShowDownloadNotice(const QString& text);

private:
    StatusLabel* statusText_ = nullptr;
    QLabel* positionText_ = nullptr;
    StatusLabel* renderText_ = nullptr;
    QLabel* downloadText_ = nullptr;
    QLabel* contextText_ = nullptr;
};
