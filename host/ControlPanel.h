#pragma once

#include <QMainWindow>

class DemoSession;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTreeWidget;
class SegmentPlot;

// The host's control panel of `consolux demo`: the context it keeps for the tool
// (active channel and segment), the tool's notifications as they arrive, the
// instrument's segment memory with a picture of the chosen segment, and one button per
// host request. Closing it closes the tool and the simulator.
class ControlPanel : public QMainWindow {
    Q_OBJECT
public:
    explicit ControlPanel(DemoSession& session, QWidget* parent = nullptr);

    void AppendLog(const QString& line);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnChannelChosen(int index);
    void OnSegmentChosen(int segment);
    void OnToolStateChanged(bool running);
    void OnHandled(uint code);
    void RefreshMemory();
    void ShowSelectedSegment();

private:
    QWidget* BuildContextGroup();
    QWidget* BuildRequestGroup();
    QWidget* BuildNotificationGroup();
    QWidget* BuildMemoryGroup();
    void ShowInstrumentIdentity();
    // Shows the context's active channel and segment, which the tool may have changed.
    void SyncContextFields();
    void SelectMemoryRow(int channel, int segment);
    // Puts the instrument back on the tool's active channel after a look elsewhere.
    void RestoreActiveChannel();

    DemoSession& session_;
    QComboBox* channel_ = nullptr;
    QSpinBox* segment_ = nullptr;
    QLabel* toolState_ = nullptr;
    QSpinBox* placeX_ = nullptr;
    QSpinBox* placeY_ = nullptr;
    QLineEdit* tileRect_ = nullptr;
    QListWidget* notifications_ = nullptr;
    QTreeWidget* memory_ = nullptr;
    SegmentPlot* plot_ = nullptr;
    QLabel* identity_ = nullptr;
};
