#pragma once

#include <QMainWindow>

#include <optional>
#include <utility>

class DemoSession;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class SegmentPlot;

// The host's control panel of `consolux demo`: the context it keeps for the tool
// (active channel and segment), the tool's notifications as they arrive (other tools'
// listed as ignored), the progress and result of the latest download, the instrument's
// segment memory with a picture of the chosen segment, and one button per host request.
// The instrument is only ever asked through the session's worker, so a stalled one
// leaves the window responsive. Closing it closes the tool and the simulator.
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
    void OnIgnored(const QString& line);
    void OnStarted(uint code);
    void OnProgress(qint64 sent, qint64 total);
    void OnHandled(uint code, bool succeeded, const QString& result);
    void OnIdentityRead(const QString& identity, bool known);
    void OnMemoryRead(const QStringList& catalogues, const QString& error);
    void OnSegmentRead(int channel, int segment, const QByteArray& data, const QString& error);
    void OnFmMarkersRead(const QString& markers);
    void OnConnectionEntered();
    void OnCancelClicked();
    void RefreshMemory();
    void ShowSelectedSegment();

private:
    QWidget* BuildContextGroup();
    QWidget* BuildRequestGroup();
    QWidget* BuildNotificationGroup();
    QWidget* BuildMemoryGroup();
    void ConnectInstrument();
    // The preferred size where the screen has room for it, else the screen's room (never
    // below what the layout needs), centred.
    void FitToScreen();
    // Shows the context's active channel and segment, which the tool may have changed.
    void SyncContextFields();
    void SelectMemoryRow(int channel, int segment);
    void ShowDownloadResult(bool succeeded, const QString& text);
    int ActiveInstrumentChannel() const;

    DemoSession& session_;
    QComboBox* channel_ = nullptr;
    QSpinBox* segment_ = nullptr;
    QLabel* toolState_ = nullptr;
    QSpinBox* placeX_ = nullptr;
    QSpinBox* placeY_ = nullptr;
    QLineEdit* tileRect_ = nullptr;
    QListWidget* notifications_ = nullptr;
    QLabel* downloadResult_ = nullptr;
    QLabel* fmMarkers_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTreeWidget* memory_ = nullptr;
    SegmentPlot* plot_ = nullptr;
    QLabel* identity_ = nullptr;
    QLineEdit* connection_ = nullptr;
    // The row to select once the memory list has been read again (channel, segment).
    std::optional<std::pair<int, int>> rowToSelect_;
};
