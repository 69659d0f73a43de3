// The desktop's pointer settings through GNOME's settings store: pointer
// speed, acceleration (the precision switch) and double-click time, when the
// mouse schema of the desktop is installed. GNOME keeps no wheel-line or
// pointer-trail setting; those stay in the profile. Other desktops offer
// programs no such settings at all, and the program says so.
#pragma once

#include <memory>
#include <string>

#include "device/mouse/IOsPointerSettings.h"

// What the desktop lets a program set.
struct OsPointerAbility {
    bool bSpeed = false;
    bool bPrecision = false;
    bool bDoubleClick = false;
    bool bWheelLines = false;
    bool Any() const { return bSpeed || bPrecision || bDoubleClick || bWheelLines; }
};

// The values GNOME's mouse schema takes for the profile's settings.
struct GnomePointerValues {
    double fSpeed = 0;            // -1 .. 1, 0 the desktop's default
    int nDoubleClick = 400;       // ms
    std::string strAccelProfile;  // "adaptive" with enhanced precision, "flat" without
};
GnomePointerValues GnomeValuesOf(const MsSysSettings& sys);

class CGnomePointerSettings final : public IOsPointerSettings {
public:
    // Null when the desktop's mouse schema is not installed.
    static std::unique_ptr<CGnomePointerSettings> Open();
    // What this machine's desktop lets the program set (nothing without the schema).
    static OsPointerAbility Ability();

    ~CGnomePointerSettings() override;
    // Writes the values that differ from the desktop's; false when a write failed.
    bool Apply(const MsSysSettings& sys) override;
    // The desktop's current values.
    GnomePointerValues Read() const;

private:
    explicit CGnomePointerSettings(void* pSettings) : m_pSettings(pSettings) {}
    void* m_pSettings;   // GSettings*
};
