#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AppServices;
class FmSettings;

// The "FM Markers Table" dialog without its window: a copy of the stored markers of the
// current FM function mode that the user edits and writes back only with Store & Update
// or a Yes at Close. The list stays ascending; only its display can be descending.
class FmMarkersDialog {
public:
    enum class AddOutcome {
        Empty,      // no text: nothing happens
        NotANumber, // told to the user, nothing added
        TooLarge,   // beyond the 32-bit range: told to the user, nothing added
        Duplicate,  // already listed: ignored silently
        Added,
    };

    FmMarkersDialog(AppServices& services, const FmSettings& fm);

    // Opening: the section of the FM function mode, its display order and its markers;
    // the modified flag is cleared.
    void Load();
    // The list as the combo box shows it, top first.
    std::vector<std::string> DisplayTexts() const;
    // The edit text of the combo box (at most 19 characters are read). A value outside
    // the current frequency window is added after warning 3016.
    AddOutcome Add(const std::string& editText);
    // Removes the marker shown in display row `row` (0-based); false for no such row.
    bool DeleteRow(int row);
    // Leaves the modified flag alone: Remove All followed by Close asks nothing.
    void RemoveAll();
    void SetAscending(bool ascending);
    // Store & Update. False when the context file could not be written (told).
    bool Store();
    // The dialog goes away without Store & Update: when modified, the user is asked
    // whether to save. True when the markers were stored.
    bool Close();

    // Where the markers go: a wide-FM family's download has no marker file, so its
    // markers are for the view and the marker bar only. Empty for other families.
    std::string DownloadNote() const;

    bool Modified() const { return modified_; }
    bool Ascending() const { return ascending_; }
    const std::vector<std::int32_t>& Markers() const { return markers_; }
    const std::string& Section() const { return section_; }

    // Scientific with eight digits, the exponent's leading zeros dropped: 1.00000000e6.
    static std::string FormatMarker(std::int32_t value);
    // A stored "Mrk" value read as a whole number: leading blanks, sign and digits,
    // saturated to the 32-bit range; 0 when no digits lead.
    static std::int32_t ReadStoredMarker(const std::string& text);

private:
    AppServices& services_;
    const FmSettings& fm_;
    std::string section_;
    std::vector<std::int32_t> markers_;
    bool ascending_ = true;
    bool modified_ = false;
};
