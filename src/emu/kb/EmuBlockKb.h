// What the virtual keyboards with the block transport share: a command
// interface whose report asks for one read, a data interface that answers
// that read or takes a write (an 8-byte header, then the object's bytes),
// and the fault switches of the data interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "emu/EmuDevice.h"
#include "emu/EmuInterfaces.h"

class CEmuBlockKb : public CEmuDevice {
public:
    // ---- device variants and faults ---------------------------------------------

    // The next n answers on the data interface carry another command code.
    void AnswerOtherCommand(int n);
    // Every read of the object at nAddr is refused (a damaged keyboard); -1: none.
    void SetUnreadable(int nAddr);

protected:
    static constexpr size_t kPayloadAt = 8;  // the object's bytes in a data report
    static constexpr uint8_t kFlag1024 = 0x40;  // header byte 4 of a 1024-byte object
    static constexpr uint8_t kRead = 0x80;      // a read command: the write command with this bit

    // Adds the command interface, then the data interface.
    CEmuBlockKb(std::string strName, IClock& clock, const EmuUsbId& id);

    // Whether the object at byAddr may be read, written with byWriteCmd.
    virtual bool CanRead(uint8_t byWriteCmd, uint8_t byAddr) const = 0;

    // A report on the command interface: the read it asks for waits for the
    // data interface's answer (m_mtx held).
    void OnReadCommand(std::span<const uint8_t> r);
    // A feature read: the answer's header to the read asked for (command code,
    // address) with the rest of buf left to the family, which reads byAddr.
    // False, a violation recorded, when it is not the data interface or no
    // read was asked for (m_mtx held).
    bool AnswerRead(int nIface, std::span<uint8_t> buf, uint8_t& byAddr);
    bool RefusesGet(int nIface) const override;

    const int m_nCmd, m_nData;

private:
    int m_nPendingRead = -1;  // read command waiting for its answer
    int m_nPendingAddr = -1;
    int m_nOtherCommand = 0;
    int m_nUnreadable = -1;
};
