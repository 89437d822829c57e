#pragma once

#include <string>

// A manual page in troff's man macros, built from the programs' command tables. Every text
// is escaped, so that a leading dot, a backslash or a minus sign prints as itself.
class ManualPage {
public:
    ManualPage(const std::string& program, const std::string& version, const std::string& summary);

    void AddSynopsis(const std::string& arguments);
    void StartSection(const std::string& title);
    void AddParagraph(const std::string& text);
    // A tagged paragraph: `term` in bold, `text` indented below it.
    void AddItem(const std::string& term, const std::string& text);

    const std::string& Text() const { return text_; }

private:
    std::string program_;
    std::string text_;
};
