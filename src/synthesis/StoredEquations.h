#pragma once

#include <string>
#include <vector>

class ProfileStore;

// The equations kept between runs in "Sm.Equ" of the start-up folder, shared by all users:
// section "Expr" holds "Expr0", "Expr1", ... in list order without gaps, and section
// "ExprInd" the index of the selected entry.
class StoredEquations {
public:
    static constexpr const char* kDefaultEquation = "amp*sin(1.5*omg*(p+500))";

    StoredEquations(ProfileStore& store, std::string path);

    // Reads the list (the default equation alone when the file holds none) and the
    // selected index (0 when missing or outside the list).
    void Load();

    const std::string& Path() const { return path_; }
    const std::vector<std::string>& Entries() const { return entries_; }
    int SelectedIndex() const { return selected_; }
    void Select(int index);
    // The selected entry's text; empty when the list is empty.
    std::string SelectedText() const;

    // Keeps `text`: an entry that equals it exactly is selected, anything else is added
    // at the end and selected. The selection and the list are written to the file.
    void Store(const std::string& text);
    // Deletes the selected entry; the one before it (or the first) becomes selected.
    void Remove();

private:
    int IndexOf(const std::string& text) const;
    void WriteSelectionAndList(bool withList);

    ProfileStore& store_;
    std::string path_;
    std::vector<std::string> entries_;
    int selected_ = 0;
};
