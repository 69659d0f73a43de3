// What the virtual keyboards with the block transport share: a command
// interface whose report asks for one read, a data interface that answers
// that read or takes a write (an 8-byte header, then the object's bytes),
// and the fault switches of the data interface. The family keeps its objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "emu/EmuInterfaces.h"
#include "emu/kb/EmuKb.h"

class CEmuBlockKb : public CEmuKb {
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

    // The family's objects, all called with m_mtx held.
    // Whether the object at byAddr may be read, written with byWriteCmd.
    virtual bool CanRead(uint8_t byWriteCmd, uint8_t byAddr) const = 0;
    // A report on the data interface: a write.
    virtual void OnData(std::span<const uint8_t> r) = 0;
    // The answer to the read of the object at byAddr: buf holds the header
    // (command code, address) and zeros; the family puts the size flag
    // (byte 4) and the object's bytes.
    virtual void AnswerBlock(uint8_t byAddr, std::span<uint8_t> buf) = 0;
    // A report on another interface of the family (by default none: a violation).
    virtual void OnOtherSet(int nIface, std::span<const uint8_t> report);
    // A feature read on another interface of the family, into buf (zeros
    // after the id); false when the interface is none of the family's.
    virtual bool AnswerOther(int, std::span<uint8_t>) { return false; }

    bool RefusesGet(int nIface) const override;

    const int m_nCmd, m_nData;

private:
    // A report on the command interface asks for a read, which waits for
    // the data interface's answer; a report on the data interface is a write.
    void OnSetFeature(int nIface, std::span<const uint8_t> report) final;
    // The answer to the read asked for, or a violation when it is not the
    // data interface or no read was asked for.
    void OnGetFeature(int nIface, std::span<uint8_t> buf) final;
    void OnReadCommand(std::span<const uint8_t> r);

    int m_nPendingRead = -1;  // read command waiting for its answer
    int m_nPendingAddr = -1;
    int m_nOtherCommand = 0;
    int m_nUnreadable = -1;
};
