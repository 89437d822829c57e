#pragma once

#include "ErrorQueue.h"

#include <cstdint>

// The IEEE 488.2 status reporting of one client connection: its error queue, the
// Standard Event Status Register and the enable registers. Each connection acts as its
// own controller, so one client's bad input never shows up in another client's queue.
class SessionStatus {
public:
    static constexpr std::uint8_t kOperationComplete = 0x01;
    static constexpr std::uint8_t kQueryError = 0x04;
    static constexpr std::uint8_t kDeviceError = 0x08;
    static constexpr std::uint8_t kExecutionError = 0x10;
    static constexpr std::uint8_t kCommandError = 0x20;
    static constexpr std::uint8_t kPowerOn = 0x80;

    static constexpr std::uint8_t kErrorAvailable = 0x04;
    static constexpr std::uint8_t kEventSummary = 0x20;
    static constexpr std::uint8_t kMasterSummary = 0x40;

    SessionStatus();

    // Queues the error and sets the event bit of its class.
    void Report(ScpiError error);
    ErrorQueue& Errors() { return errors_; }
    const ErrorQueue& Errors() const { return errors_; }

    // *ESR? reads and clears the event register.
    std::uint8_t TakeEventRegister();
    void SetEvent(std::uint8_t bits) { events_ |= bits; }
    void SetEventEnable(std::uint8_t mask) { eventEnable_ = mask; }
    std::uint8_t EventEnable() const { return eventEnable_; }
    void SetServiceRequestEnable(std::uint8_t mask) { serviceEnable_ = mask; }
    std::uint8_t ServiceRequestEnable() const { return serviceEnable_; }
    std::uint8_t StatusByte() const;
    // *CLS: empties the error queue and the event register, keeps the enable masks.
    void Clear();

private:
    ErrorQueue errors_;
    std::uint8_t events_ = kPowerOn;
    std::uint8_t eventEnable_ = 0;
    std::uint8_t serviceEnable_ = 0;
};
