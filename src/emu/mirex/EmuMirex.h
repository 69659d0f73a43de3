// The virtual wired mouse: three vendor interfaces (cmd: feature report 5, 6
// bytes; data: feature report 4, 520 bytes; notify: input report 7, 8 bytes)
// beside an ordinary pointer interface the host must leave alone, and the
// firmware behind them. It keeps what the mouse keeps on board (current mode;
// per mode the 140-byte general block and the 20-entry key matrix; macro
// buffers by number; lift-off and debounce values) exactly as the reports
// that reach it say, and answers the reads the host makes: the mode, and the
// general block of a mode.
//
// Rules it checks (recorded as violations): report ids and lengths, the
// 30 ms between a command and the read of its answer, a read with no command
// before it, a transfer of another thread inside a transaction, record tags,
// the block's first byte, buffer numbers, and commands it does not know.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "emu/EmuCommandTable.h"
#include "emu/EmuDevice.h"
#include "emu/mouse/EmuMouseMemory.h"

struct EmuMirexConfig {
    std::string strName = "mirex";
    int nVID = 0x258A;
    int nPID = 0x1007;
    int nVersion = 0x0107;
    uint8_t bySensorCode = 6;               // the 6-bit code in byte 1 of every block
    std::vector<uint8_t> dpiCodes;          // initial level codes, at most 8 (empty: none enabled)
    uint8_t byCurrentLevel = 1;             // current level counted from 1 among dpiCodes
    uint8_t byRateCode = 3;
    std::vector<std::array<uint8_t, 3>> levelColours;  // initial level colours as the block holds them
    bool bPointerInterface = true;          // the ordinary pointer collection beside the vendor ones
};

// A mouse with sensor nSensor at its default levels (sensor tables), for the
// demo and the command-line tool.
EmuMirexConfig MirexConfigFor(int nVID, int nPID, int32_t nSensor);

class CEmuMirex final : public CEmuDevice {
public:
    static constexpr int kModes = 3;
    static constexpr size_t kBlockLen = 140;

    struct State : EmuMouseState<kModes, kBlockLen> {
        int nMode = 1;  // 1..3
    };

    CEmuMirex(const EmuMirexConfig& cfg, IClock& clock);

    State GetState() const;
    // The key code at matrix position 1..20 of mode 1..3.
    uint32_t KeyCode(int nMode, int nPos) const;

    // ---- the user at the mouse ---------------------------------------------------------

    // The DPI button: the next enabled level of the current mode, reported.
    void PressDpiButton();
    // The mode button: the next mode, reported with its current level.
    void PressModeButton();
    // A report with byte 4 set (what the performance page shows).
    void SendPerformanceByte(uint8_t by);

    // ---- device variants ------------------------------------------------------------------

    void SetSensorCode(uint8_t byCode);
    // The mouse stalls every read of a general block (a damaged mouse).
    void SetBlockUnreadable(bool b);

    std::string DescribeState() const override;

    // Readable forms of what the mouse holds, shared with the state dump.
    static std::string DescribeKeyCode(uint32_t dwCode) { return ::DescribeKeyCode(dwCode); }
    static std::vector<std::string> DescribeMacroBuffer(std::span<const uint8_t> buffer)
    {
        return ::DescribeMacroBuffer(buffer);
    }

protected:
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    bool RefusesGet(int nIface) const override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

private:
    static const EmuMouseLayout kLayout;
    static const EmuCommand<CEmuMirex> kCommands[];
    static const EmuCommand<CEmuMirex> kRecords[];
    // Commands (cmd report): [5, code, value, 0, 0, 0].
    void OnMode(std::span<const uint8_t> r);
    void OnBlockRead(std::span<const uint8_t> r);
    void OnDebounce(std::span<const uint8_t> r) { m_state.nDebounce = r[2]; }
    void OnLiftOff(std::span<const uint8_t> r) { m_state.nLiftOff = r[2]; }
    // Records (data report), by kind.
    void OnBlockRecord(std::span<const uint8_t> r);
    void OnMatrixRecord(std::span<const uint8_t> r);
    void OnMacroRecord(std::span<const uint8_t> r);
    void PushLevelReport(uint8_t byPerf);  // m_mtx held
    std::string DescribeLocked() const;
    void BindState(CEmuStateTable& t, State& s) const;

    const EmuMirexConfig m_cfg;
    int m_nCmd = -1, m_nData = -1, m_nNotify = -1;
    State m_state;
    uint8_t m_bySensorCode;
    bool m_bBlockUnreadable = false;
    // What the next read answers: the mode (cmd) or a general block (data, mode 1..3).
    bool m_bModeArmed = false;
    int m_nBlockArmed = 0;
};
