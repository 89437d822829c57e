#pragma once

#include <cstddef>

// Asks the system to back a long array that is about to be filled with large memory pages:
// a few hundred faults instead of thousands when it is first written. A hint only; where
// the platform has no such pages nothing changes.
void PreferLargePages(void* data, std::size_t bytes);
