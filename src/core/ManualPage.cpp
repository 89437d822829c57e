#include "core/ManualPage.h"

#include "core/CharClass.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '-' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

} // namespace

ManualPage::ManualPage(const std::string& program, const std::string& version,
                       const std::string& summary)
    : program_(program) {
    text_ = ".TH " + ToUpperAscii(program) + " 1 \"\" \"Wavesmith " + version + "\"\n";
    text_ += ".SH NAME\n" + Escaped(program) + " \\- " + Escaped(summary) + "\n";
    text_ += ".SH SYNOPSIS\n";
}

void ManualPage::AddSynopsis(const std::string& arguments) {
    text_ += ".B " + Escaped(program_) + "\n" + Escaped(arguments) + "\n.br\n";
}

void ManualPage::StartSection(const std::string& title) {
    text_ += ".SH " + ToUpperAscii(title) + "\n";
}

void ManualPage::AddParagraph(const std::string& text) {
    text_ += ".PP\n" + Escaped(text) + "\n";
}

void ManualPage::AddItem(const std::string& term, const std::string& text) {
    text_ += ".TP\n.B " + Escaped(term) + "\n" + Escaped(text) + "\n";
}
