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

bool InstrumentTransport::SendBlockFrom(std::string_view prefix, std::size_t size,
                                        const BlockReader& read, const Progress& progress) {
    std::string bytes(size, '\0');
    if (const std::string problem = read(0, bytes.data(), size); !problem.empty()) {
        return Fail(problem);
    }
    return SendBlock(prefix, bytes.data(), size, progress);
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
