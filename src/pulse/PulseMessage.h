#pragma once

#include <string>
#include <vector>

class UserInterface;

// A string-table message of the pulse designer with its fields filled in order: each
// printf conversion ("%d", "%s", "%g", "%.3f") takes the next text, already formatted
// by the caller. A typed text that holds a "%" is inserted as it is, never read again.
std::string FormatPulseMessage(int id, const std::vector<std::string>& fields);
// Shows it with OK.
void ShowPulseMessage(UserInterface& ui, int id, const std::vector<std::string>& fields);
