#pragma once

#include <QBasicTimer>
#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class FrameMode;
class FramePlacer;
class FrameView;
class FrameStatusBar;
class ParameterBar;
class PulseDesignView;
class QLineEdit;
class QMenu;
class QToolBar;
class ToolBands;
class ToolSession;
class WaveView;

// The single top-level window: the mode's menus, up to five tool bar bands (file
// operations, wave editing, wave parameters, instrument control and, in the FM editor,
// the marker list), the view, the status bar with the command prompts, and the handler of
// the host's requests. It remembers its placement and which bands are shown.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit MainFrame(ToolSession& session, QWidget* parent = nullptr);
    ~MainFrame() override;

    // The program's start: the session's start-up sequence, then the frame, `prepare`d
    // before it loads anything, placed and shown. No frame when the start-up sequence
    // ended the program (its message has been shown).
    static std::unique_ptr<MainFrame> Launch(ToolSession& session,
                                             const std::function<void(MainFrame&)>& prepare = {});

    // Puts the window where it was left (or at the default place), runs the view's first
    // update (the active segment is loaded), shows the window and brings it to the front.
    void ShowPlaced();

    // Runs a menu command by id, if it is enabled.
    void OnCommand(int commandId);
    // A request of the host (close, reload, place, tile).
    void OnHostCommand(std::uint32_t code, std::int64_t data);
    // Enabling and check marks of every command, and the band visibility.
    void UpdateCommandStates();

    // A file dropped on the window is opened as if it had been chosen in the open
    // dialog; `answer` hands the path to the user interface as the dialog's answer.
    void SetDroppedFileAnswer(std::function<void(const std::string&)> answer);
    void OpenDroppedFile(const QString& path);

    QAction* Action(int commandId) const;
    // A band by ToolBands::Band.
    QToolBar* BandBar(int band) const;
    bool BandShown(int band) const;
    // A control of the parameter bar by id (2000 length, 2001 segment or deviation).
    QLineEdit* GetBarControl(int controlId) const;
    // The central view: the waveform view, nullptr in the pulse designer, whose view is
    // PulseView().
    WaveView* View() const { return view_; }
    PulseDesignView* PulseView() const { return pulse_; }
    ParameterBar* Parameters() const { return parameters_; }

    // The pop-up menu of the tool bar area: the bands' captions with check marks.
    QMenu* createPopupMenu() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildCommands();
    void BuildBands();
    void BuildStatusBar();
    void ConnectView();
    void ConnectPulseView();

    bool IsEnabled(int commandId) const;
    bool IsChecked(int commandId) const;
    bool InstrumentHasTwoChannels() const;

    ToolSession& session_;
    // What differs between the modes, shared with the parameter bar, which as a child
    // widget goes after the window's members.
    std::shared_ptr<const FrameMode> frameMode_;
    WaveView* view_ = nullptr;
    PulseDesignView* pulse_ = nullptr;
    // Whichever of the two the mode shows, for what the window asks of either.
    FrameView* frameView_ = nullptr;
    ParameterBar* parameters_ = nullptr;
    QMenu* editMenu_ = nullptr;
    FrameStatusBar* status_ = nullptr;
    std::map<int, QAction*> actions_;
    std::unique_ptr<ToolBands> bands_;
    std::unique_ptr<FramePlacer> placer_;
    QBasicTimer timer_;
    std::function<void(const std::string&)> droppedFileAnswer_;
};
