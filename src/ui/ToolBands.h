#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FrameMode;
class ProfileStore;
class QAction;
class QComboBox;
class QMainWindow;
class QToolBar;

// The tool bar bands of the main window and whether each is shown. Every band has a
// toggle command; the flags are the host's "ViewsSM" values, read when the window is made
// and written back when it closes.
class ToolBands {
public:
    // Bands in creation order.
    enum Band { FileBand, EditBand, ParameterBand, InstrumentBand, MarkerBand, kBandCount };

    ToolBands(QMainWindow& frame, ProfileStore& store);

    // The mode's bands: file operations, wave editing, wave parameters (`fillParameters`
    // puts the parameter bar in its band), instrument control with the channel buttons
    // when there are two channels, and in the FM editor the marker list.
    void Build(const FrameMode& mode, std::map<int, QAction*>& actions, bool twoChannels,
               const std::function<void(QToolBar*)>& fillParameters);
    void WriteFlags() const;
    // Shows and hides the bands by their flags.
    void ApplyVisibility();
    void Toggle(int band);

    // The band a toggle command stands for; -1 for other commands.
    static int BandOfToggle(int commandId);
    static int ToggleOf(int band);
    QToolBar* Bar(int band) const;
    bool Shown(int band) const;
    // The FM editor's marker list (control 1998) shows these items, the first selected.
    void ShowMarkerItems(const std::vector<std::string>& items);
    QComboBox* MarkerList() const { return markerList_; }

private:
    QToolBar* Add(const FrameMode& mode, std::map<int, QAction*>& actions, int band,
                  const std::vector<int>& commandIds);
    void BuildMarkerList(QToolBar* bar);
    static int MarkerListWidth(const QComboBox& box);

    QMainWindow& frame_;
    ProfileStore& store_;
    std::array<QToolBar*, kBandCount> bars_{};
    std::array<bool, kBandCount> shown_{};
    QComboBox* markerList_ = nullptr;
};
