#include "document/StandardMode.h"

std::vector<std::string> StandardMode::Extensions() const {
    return {"wav", "asc", "csv", "0", "trc", "prn", "txt"};
}

std::string StandardMode::FilterText(bool open) const {
    if (open) {
        return "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma "
               "delimited(*csv)|*.csv|LeCroy  format (*.0* )|*.0*|LeCroy  format (*.trc "
               ")|*.trc|Space delimited(*.prn)|*.prn|Comma delimited(*txt)|*.txt||";
    }
    return "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma "
           "delimited(*csv)|*.csv||";
}
