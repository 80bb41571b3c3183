#include "links/ComDrv32.h"

#include <utility>

namespace varlo {

std::uint32_t BaudRateValue(TComPortBaudRate rate) {
    static const std::uint32_t table[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                          14400, 19200, 38400, 56000, 57600, 115200};
    return rate <= br115200 ? table[rate] : table[br9600];
}

std::string ComPortName(TComPortNumber port) {
    return "COM" + std::to_string(static_cast<int>(port) + 1);
}

void ConfigureAsCOMM2(TCommPortDriver& driver) {
    driver.SetComPort(pnCOM1);
    driver.SetComPortSpeed(br19200);
    driver.SetComPortDataBits(db7BITS);
    driver.SetComPortParity(ptODD);
}

TCommPortDriver::TCommPortDriver(SerialPortSystem& ports, std::unique_ptr<Timer> pollTimer)
    : ports_(ports), pollTimer_(std::move(pollTimer)), receiveBuffer_(ComPortInBufSize_) {
    pollTimer_->setTimeout([this] { PollTick(); });
}

TCommPortDriver::~TCommPortDriver() {
    Disconnect();
    pollTimer_->setTimeout(nullptr);
}

bool TCommPortDriver::Connect() {
    if (Connected()) return true;
    SerialOpenResult opened = ports_.Open(PortName());
    if (!opened.port) {
        lastError_ = std::move(opened.error);
        return false;
    }
    lastError_ = SerialOpenError{};
    devicePath_ = std::move(opened.device);
    port_ = std::move(opened.port);
    ApplySettings();
    // Reads return what is queued, waiting at most about 1 ms for more.
    PortTimeouts timeouts;
    timeouts.readInterval = 1;
    timeouts.readTotalMultiplier = 0;
    timeouts.readTotalConstant = 1;
    timeouts.writeTotalMultiplier = 0;
    timeouts.writeTotalConstant = 0;
    port_->SetTimeouts(timeouts);
    pollTimer_->start(ComPortPollingDelay_);
    return true;
}

void TCommPortDriver::Disconnect() {
    if (!Connected()) return;
    pollTimer_->stop();
    port_.reset();
}

bool TCommPortDriver::Connected() const {
    return port_ != nullptr;
}

LineSettings TCommPortDriver::BuildLineSettings() const {
    LineSettings s;
    s.recordLength = 28;
    s.baudRate = BaudRateValue(ComPortSpeed_);
    s.binaryMode = true;
    s.parityCheck = false;
    s.ctsOutputFlow = ComPortHwHandshaking_ == hhRTSCTS;
    s.dsrOutputFlow = false;
    s.dtrControl = EnableDTROnOpen_ ? DtrControl::Enabled : DtrControl::Disabled;
    s.dsrSensitivity = false;
    s.txContinueOnXoff = false;
    s.xonXoffOutput = ComPortSwHandshaking_ == shXONXOFF;
    s.xonXoffInput = ComPortSwHandshaking_ == shXONXOFF;
    s.errorCharReplace = false;
    s.stripNul = false;
    s.rtsControl = ComPortHwHandshaking_ == hhRTSCTS ? RtsControl::Handshake : RtsControl::Disabled;
    s.abortOnError = false;
    s.xonLimit = static_cast<std::uint16_t>(ComPortInBufSize_ / 4);
    s.xoffLimit = 1;
    s.byteSize = static_cast<std::uint8_t>(ComPortDataBits_ + 5);
    s.parity = static_cast<std::uint8_t>(ComPortParity_);
    s.stopBits = static_cast<std::uint8_t>(ComPortStopBits_);
    return s;
}

void TCommPortDriver::ApplySettings() {
    if (!Connected()) return;
    port_->ApplyLineSettings(BuildLineSettings());
    PurgeBuffers(true, true);
    port_->SetQueueSizes(ComPortInBufSize_, ComPortOutBufSize_);
}

void TCommPortDriver::PurgeBuffers(bool Input, bool Output) {
    if (!Connected()) return;
    port_->Purge(Input, Output);
}

void TCommPortDriver::PollTick() {
    if (!Connected()) return;
    const SerialReadResult read = port_->Read(receiveBuffer_.data(), receiveBuffer_.size());
    if (read.error != 0) {
        if (onReadError_) onReadError_(read.error);
        return;
    }
    if (read.count == 0 || !OnReceiveData_) return;
    OnReceiveData_(this, receiveBuffer_.data(), static_cast<std::uint32_t>(read.count));
}

void TCommPortDriver::SetComPort(TComPortNumber Value) {
    if (Connected()) return;
    ComPort_ = Value;
    portPath_.clear();
}

std::string TCommPortDriver::PortName() const {
    return portPath_.empty() ? ComPortName(ComPort_) : portPath_;
}

void TCommPortDriver::SetDevicePath(std::string path) {
    if (Connected()) return;
    portPath_ = std::move(path);
}

void TCommPortDriver::SetLineProperty() {
    if (Connected()) ApplySettings();
}

void TCommPortDriver::SetComPortSpeed(TComPortBaudRate Value) {
    ComPortSpeed_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortDataBits(TComPortDataBits Value) {
    ComPortDataBits_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortStopBits(TComPortStopBits Value) {
    ComPortStopBits_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortParity(TComPortParity Value) {
    ComPortParity_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking Value) {
    ComPortHwHandshaking_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking Value) {
    ComPortSwHandshaking_ = Value;
    SetLineProperty();
}

void TCommPortDriver::SetComPortInBufSize(std::uint16_t Value) {
    if (Connected()) return;
    ComPortInBufSize_ = Value;
    receiveBuffer_.assign(Value, 0);
    receiveBuffer_.shrink_to_fit();
}

void TCommPortDriver::SetComPortOutBufSize(std::uint16_t Value) {
    // There is no send path; the size is only handed to the platform at the
    // next ApplySettings.
    ComPortOutBufSize_ = Value;
}

void TCommPortDriver::SetComPortPollingDelay(std::uint16_t Value) {
    if (Value == ComPortPollingDelay_) return;
    if (Connected()) pollTimer_->stop();
    ComPortPollingDelay_ = Value;
    if (Connected()) pollTimer_->start(ComPortPollingDelay_);
}

}  // namespace varlo
