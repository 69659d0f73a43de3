#include "core/SensorTables.h"

#include <initializer_list>

namespace {

// A run of DPI values from nFirst to nLast (both included) in steps of nStep.
struct DpiRun {
    int32_t nFirst, nLast, nStep;
};

// Fills one table; codes are index + nCodeBase for both the hardware and the
// lock code. Values beyond the table's capacity are dropped (none of the
// built-in lists comes near it).
class CTableBuilder {
public:
    CTableBuilder(SensorDpiTable& t, int32_t nSensor, int nCodeBase) : m_t(t), m_nCodeBase(nCodeBase)
    {
        m_t = SensorDpiTable{};
        m_t.nSensor = nSensor;
    }
    CTableBuilder& Values(std::initializer_list<int32_t> values)
    {
        for (const int32_t v : values) Add(v);
        return *this;
    }
    CTableBuilder& Run(DpiRun run)
    {
        for (int32_t v = run.nFirst; v <= run.nLast; v += run.nStep) Add(v);
        return *this;
    }

private:
    void Add(int32_t nDpi)
    {
        if (m_t.nCount >= kSensorDpiMax) return;
        const int i = m_t.nCount++;
        m_t.Dpi[i] = nDpi;
        m_t.HwCode[i] = uint16_t(i + m_nCodeBase);
        m_t.LockCode[i] = uint16_t(i + m_nCodeBase);
    }
    SensorDpiTable& m_t;
    int m_nCodeBase;
};

struct SensorCode {
    int32_t nCode, nSensor;
};
constexpr SensorCode kSensorCodes[] = {
    {1, 0x5050},  {2, 0x3050},  {3, 0x9800},  {4, 0x3320},  {5, 0x3330},  {6, 0x3360},  {7, 0x3610},
    {8, 0x3212},  {9, 0x3310},  {11, 0x3325}, {12, 0x7350}, {14, 0x3327}, {15, 0x3389}, {16, 0x3606},
    {17, 0x3335}, {19, 0x3104}, {20, 0x3370}, {21, 0x3333}, {22, 0x3399}, {23, 0x3395},
};

using Levels = std::array<int32_t, kSensorLevelMax>;
constexpr Levels kLevels3050{750, 1000, 1500, 2000, 2500, 3000};
constexpr Levels kLevels5050{750, 1000, 1500, 2000, 2500, 2750};
constexpr Levels kLevels9800{1000, 1500, 2000, 3000, 5000, 8200};
constexpr Levels kLevels3212{750, 1000, 1600, 2400, 3200, 7200};
constexpr Levels kLevels3320{750, 1000, 1500, 2000, 2500, 3500};
constexpr Levels kLevels3330{1000, 1500, 2000, 4000, 6000, 7200};
constexpr Levels kLevels3360{1000, 1600, 2000, 4000, 6000, 8000};
constexpr Levels kLevels3610{1000, 1600, 2000, 2400, 3000, 4000};
constexpr Levels kLevelsWide{1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000};
constexpr Levels kLevels3606{800, 1200, 2500, 3000, 4200, 5000, 6000};

struct SensorLevels {
    int32_t nSensor;
    const Levels* pLevels;
};
constexpr SensorLevels kDefaultLevels[] = {
    {0x3050, &kLevels3050}, {0x3104, &kLevels3050}, {0x5050, &kLevels5050}, {0x9800, &kLevels9800},
    {0x3212, &kLevels3212}, {0x3320, &kLevels3320}, {0x3330, &kLevels3330}, {0x3360, &kLevels3360},
    {0x3610, &kLevels3610}, {0x3325, &kLevelsWide}, {0x3327, &kLevelsWide}, {0x3333, &kLevelsWide},
    {0x3335, &kLevelsWide}, {0x3370, &kLevelsWide}, {0x3389, &kLevelsWide}, {0x3395, &kLevelsWide},
    {0x3399, &kLevelsWide}, {0x3606, &kLevels3606},
};

}  // namespace

void InitSensorTables()
{
    SensorDpiTable* t = g_SensorDpiTables;
    static_assert(kSensorTableNum == 20);
    // Codes count from 1, except for the sensors built with base 0.
    CTableBuilder(t[0], 0x3050, 1).Values({500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000});
    CTableBuilder(t[1], 0x5050, 1).Values({500, 750, 1000, 1250, 1375, 1500, 1750, 2000, 2500, 2750});
    CTableBuilder(t[2], 0x9800, 1).Run({500, 4000, 250}).Values({4500, 5000, 6000, 7000, 8200, 16400});
    CTableBuilder(t[3], 0x3310, 1).Run({50, 5000, 50});
    CTableBuilder(t[4], 0x3212, 1)
        .Values({500, 750, 1000, 1200, 1600, 2000, 2400, 3000, 3200, 3500, 4000, 4500, 5000, 5500, 6000, 7200});
    CTableBuilder(t[5], 0x3320, 1).Run({500, 3500, 250}).Values({4000, 4500, 5000, 6000, 7000});
    CTableBuilder(t[6], 0x3325, 1).Run({200, 5000, 100}).Run({5500, 10000, 500});
    CTableBuilder(t[7], 0x3330, 1).Run({500, 3500, 250}).Values({4000, 4500, 5000, 6000, 7200, 14400});
    CTableBuilder(t[8], 0x3360, 1)
        .Values({500, 800, 1000, 1200, 1600, 2000, 2500, 2800, 3000, 3200, 3500, 4000, 4500, 5000, 6000, 7000,
                 8000, 9000, 10000, 12000, 24000});
    CTableBuilder(t[9], 0x3610, 1)
        .Values({400, 800, 1000, 1200, 1600, 2000, 2400, 2800, 3000, 3200, 4000, 4800, 5600, 6400});
    CTableBuilder(t[10], 0x7350, 1).Values({600, 800, 1000, 1200, 1600, 2000, 2400, 3200});
    CTableBuilder(t[11], 0x3327, 1).Run({200, 6200, 100}).Run({6500, 12000, 500}).Values({12400});
    CTableBuilder(t[12], 0x3606, 0).Values({400, 800, 1200, 1700, 2100, 2500, 3000, 3400, 4200, 5000, 6000, 6800});
    CTableBuilder(t[13], 0x3389, 1).Run({100, 16000, 100}).Run({17000, 26000, 1000});
    CTableBuilder(t[14], 0x3104, 1).Run({250, 4000, 250}).Run({4500, 8000, 500});
    CTableBuilder(t[15], 0x3335, 0).Run({100, 16000, 100});
    CTableBuilder(t[16], 0x3370, 0).Run({100, 19000, 100});
    CTableBuilder(t[17], 0x3395, 0).Run({100, 26000, 100});
    CTableBuilder(t[18], 0x3399, 0).Run({50, 20000, 50});
    CTableBuilder(t[19], 0x3333, 1).Run({200, 8000, 100}).Run({9000, 16000, 1000});
}

SensorDpiTable* FindSensorTable(int32_t nSensor)
{
    if (nSensor == 0) return nullptr;  // an empty table slot holds 0
    for (SensorDpiTable& t : g_SensorDpiTables)
        if (t.nSensor == nSensor) return &t;
    return nullptr;
}

int32_t FindDpiIndex(int32_t nSensor, int32_t nDpi)
{
    const SensorDpiTable* t = FindSensorTable(nSensor);
    if (!t) return -1;
    const int32_t nCount = t->nCount < kSensorDpiMax ? t->nCount : kSensorDpiMax;
    for (int32_t i = 0; i < nCount; ++i)
        if (t->Dpi[i] == nDpi) return i;
    return -1;
}

uint16_t DpiToHwCode(int32_t nSensor, int32_t nDpi)
{
    const int32_t i = FindDpiIndex(nSensor, nDpi);
    return i < 0 ? 0 : FindSensorTable(nSensor)->HwCode[i];
}

int32_t DpiByIndex(int32_t nSensor, int32_t nIndex)
{
    const SensorDpiTable* t = FindSensorTable(nSensor);
    if (!t || nIndex < 0 || nIndex >= t->nCount || nIndex >= kSensorDpiMax) return 0;
    return t->Dpi[nIndex];
}

int32_t SensorFromCode(int32_t nCode)
{
    for (const SensorCode& e : kSensorCodes)
        if (e.nCode == nCode) return e.nSensor;
    return 0;
}

const std::array<int32_t, kSensorLevelMax>* DefaultDpiLevels(int32_t nSensor)
{
    for (const SensorLevels& e : kDefaultLevels)
        if (e.nSensor == nSensor) return e.pLevels;
    return nullptr;
}
