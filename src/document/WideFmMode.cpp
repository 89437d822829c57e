#include "document/WideFmMode.h"

std::string WideFmMode::FilterText(bool /*open*/) const {
    return "Binary   (*.wfm)|*.wfm|ASCII -space delimited (*.afm)|*.afm||";
}
