#include "transport/InstrumentTransport.h"

#include "transport/SocketTransport.h"
#include "transport/UsbtmcTransport.h"
#include "transport/Vxi11Transport.h"

std::unique_ptr<InstrumentTransport> InstrumentTransport::For(const InstrumentAddress& address) {
    switch (address.transport) {
    case InstrumentAddress::Transport::Vxi11:
        return std::make_unique<Vxi11Transport>(address);
    case InstrumentAddress::Transport::Usbtmc:
        return std::make_unique<UsbtmcTransport>(address);
    case InstrumentAddress::Transport::Socket:
        break;
    }
    return std::make_unique<SocketTransport>(address);
}

bool InstrumentTransport::Fail(const std::string& what) {
    lastError_ = what;
    lost_ = false;
    Close();
    return false;
}

bool InstrumentTransport::Lost(const std::string& what) {
    Fail(what);
    lost_ = true;
    return false;
}
