#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Timer.h"
#include "platform/SerialLine.h"
#include "platform/SerialPort.h"

namespace varlo {

enum TComPortNumber : std::uint8_t { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };

enum TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
};

enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };

// Receives the bytes of one read: DataPtr is valid only during the call,
// DataSize is at least 1.
using TComPortReceiveDataEvent =
    std::function<void(void* Sender, const std::uint8_t* DataPtr, std::uint32_t DataSize)>;
// Told of a read of the open port that failed, with the operating system's
// error number; polling goes on.
using ReadErrorEvent = std::function<void(int errorNumber)>;

// The line speed in bits per second.
std::uint32_t BaudRateValue(TComPortBaudRate rate);
// "COM1" to "COM4".
std::string ComPortName(TComPortNumber port);

class TCommPortDriver;
// Sets the driver up as the main window's COMM2: port COM1, 19200 baud, 7
// data bits, odd parity; every other property keeps its default.
void ConfigureAsCOMM2(TCommPortDriver& driver);

// Owns one serial port, receive only: opens it by number, programs the
// line and delivers whatever has arrived from a poll timer on the owner's
// thread.
class TCommPortDriver {
  public:
    // pollTimer ticks PollTick; the driver owns it.
    TCommPortDriver(SerialPortSystem& ports, std::unique_ptr<Timer> pollTimer);
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // Opens the port, applies the settings, sets the time-outs and starts
    // polling. True also when it was already open (nothing changes then).
    bool Connect();
    void Disconnect();
    bool Connected() const;
    // Why the last Connect failed; kind None after a successful one.
    const SerialOpenError& LastConnectError() const { return lastError_; }
    // The device path the last successful Connect opened.
    const std::string& DevicePath() const { return devicePath_; }

    // Re-programs the open port from the properties and discards both queues.
    void ApplySettings();
    void PurgeBuffers(bool Input, bool Output);

    // The line-settings record the properties ask for.
    LineSettings BuildLineSettings() const;

    // One poll: a single read of up to ComPortInBufSize bytes.
    void PollTick();

    TComPortNumber ComPort() const { return ComPort_; }
    // Chooses the port by number ("COM1" to "COM4"); drops a device path.
    // Ignored while the port is open.
    void SetComPort(TComPortNumber Value);
    // The name Connect opens: the device path when one is set, else the
    // name of ComPort.
    std::string PortName() const;
    // Opens this device path (or other port name) in place of ComPort; an
    // empty one goes back to ComPort. Ignored while the port is open.
    void SetDevicePath(std::string path);
    TComPortBaudRate ComPortSpeed() const { return ComPortSpeed_; }
    void SetComPortSpeed(TComPortBaudRate Value);
    TComPortDataBits ComPortDataBits() const { return ComPortDataBits_; }
    void SetComPortDataBits(TComPortDataBits Value);
    TComPortStopBits ComPortStopBits() const { return ComPortStopBits_; }
    void SetComPortStopBits(TComPortStopBits Value);
    TComPortParity ComPortParity() const { return ComPortParity_; }
    void SetComPortParity(TComPortParity Value);
    TComPortHwHandshaking ComPortHwHandshaking() const { return ComPortHwHandshaking_; }
    void SetComPortHwHandshaking(TComPortHwHandshaking Value);
    TComPortSwHandshaking ComPortSwHandshaking() const { return ComPortSwHandshaking_; }
    void SetComPortSwHandshaking(TComPortSwHandshaking Value);
    std::uint16_t ComPortInBufSize() const { return ComPortInBufSize_; }
    void SetComPortInBufSize(std::uint16_t Value);
    std::uint16_t ComPortOutBufSize() const { return ComPortOutBufSize_; }
    void SetComPortOutBufSize(std::uint16_t Value);
    std::uint16_t ComPortPollingDelay() const { return ComPortPollingDelay_; }
    void SetComPortPollingDelay(std::uint16_t Value);
    bool EnableDTROnOpen() const { return EnableDTROnOpen_; }
    void SetEnableDTROnOpen(bool Value) { EnableDTROnOpen_ = Value; }
    const TComPortReceiveDataEvent& OnReceiveData() const { return OnReceiveData_; }
    void SetOnReceiveData(TComPortReceiveDataEvent Value) { OnReceiveData_ = std::move(Value); }
    const ReadErrorEvent& OnReadError() const { return onReadError_; }
    void SetOnReadError(ReadErrorEvent handler) { onReadError_ = std::move(handler); }

    // The open port, for diagnostics; null while closed.
    SerialPort* Port() const { return port_.get(); }

  private:
    void SetLineProperty();

    SerialPortSystem& ports_;
    std::unique_ptr<SerialPort> port_;
    TComPortNumber ComPort_ = pnCOM2;
    TComPortBaudRate ComPortSpeed_ = br9600;
    TComPortDataBits ComPortDataBits_ = db8BITS;
    TComPortStopBits ComPortStopBits_ = sb1BITS;
    TComPortParity ComPortParity_ = ptNONE;
    TComPortHwHandshaking ComPortHwHandshaking_ = hhNONE;
    TComPortSwHandshaking ComPortSwHandshaking_ = shNONE;
    std::uint16_t ComPortInBufSize_ = 2048;
    std::uint16_t ComPortOutBufSize_ = 2048;
    TComPortReceiveDataEvent OnReceiveData_;
    std::uint16_t ComPortPollingDelay_ = 50;
    bool EnableDTROnOpen_ = true;
    std::unique_ptr<Timer> pollTimer_;
    std::vector<std::uint8_t> receiveBuffer_;
    SerialOpenError lastError_;
    std::string devicePath_;
    std::string portPath_;
    ReadErrorEvent onReadError_;
};

}  // namespace varlo
