#include "platform/GnomePointerSettings.h"

#include <algorithm>
#include <cmath>

#include "core/Log.h"

namespace {
constexpr int kSpeedMin = 1, kSpeedMid = 10, kSpeedMax = 20;
constexpr int kDoubleClickMin = 100, kDoubleClickMax = 2000;
}  // namespace

GnomePointerValues GnomeValuesOf(const MsSysSettings& sys)
{
    GnomePointerValues v;
    // Speed 1..20 with 10 the middle maps onto -1..1 with 0 the default.
    const int nSpeed = std::clamp(int(sys.nPointerSpeed), kSpeedMin, kSpeedMax);
    v.fSpeed = std::clamp(double(nSpeed - kSpeedMid) / double(kSpeedMid), -1.0, 1.0);
    v.nDoubleClick = std::clamp(int(sys.nDblClickTime), kDoubleClickMin, kDoubleClickMax);
    v.strAccelProfile = sys.bEnhancePrecision ? "adaptive" : "flat";
    return v;
}

#ifndef ZV_HAVE_GIO

std::unique_ptr<CGnomePointerSettings> CGnomePointerSettings::Open() { return nullptr; }
OsPointerAbility CGnomePointerSettings::Ability() { return {}; }
CGnomePointerSettings::~CGnomePointerSettings() = default;
GnomePointerValues CGnomePointerSettings::Read() const { return {}; }
bool CGnomePointerSettings::Apply(const MsSysSettings&) { return false; }

#else

#include <gio/gio.h>

namespace {
constexpr const char* kSchema = "org.gnome.desktop.peripherals.mouse";

bool SchemaInstalled()
{
    GSettingsSchemaSource* pSource = g_settings_schema_source_get_default();
    if (!pSource) return false;
    GSettingsSchema* pSchema = g_settings_schema_source_lookup(pSource, kSchema, TRUE);
    if (!pSchema) return false;
    const bool bKeys = g_settings_schema_has_key(pSchema, "speed") && g_settings_schema_has_key(pSchema, "double-click") &&
                       g_settings_schema_has_key(pSchema, "accel-profile");
    g_settings_schema_unref(pSchema);
    return bKeys;
}

GSettings* Settings(void* p) { return static_cast<GSettings*>(p); }
}  // namespace

std::unique_ptr<CGnomePointerSettings> CGnomePointerSettings::Open()
{
    if (!SchemaInstalled()) return nullptr;
    return std::unique_ptr<CGnomePointerSettings>(new CGnomePointerSettings(g_settings_new(kSchema)));
}

OsPointerAbility CGnomePointerSettings::Ability()
{
    OsPointerAbility a;
    if (!SchemaInstalled()) return a;
    a.bSpeed = a.bPrecision = a.bDoubleClick = true;
    return a;
}

CGnomePointerSettings::~CGnomePointerSettings() { g_object_unref(Settings(m_pSettings)); }

GnomePointerValues CGnomePointerSettings::Read() const
{
    GnomePointerValues v;
    GSettings* p = Settings(m_pSettings);
    v.fSpeed = g_settings_get_double(p, "speed");
    v.nDoubleClick = g_settings_get_int(p, "double-click");
    gchar* psz = g_settings_get_string(p, "accel-profile");
    v.strAccelProfile = psz ? psz : "";
    g_free(psz);
    return v;
}

bool CGnomePointerSettings::Apply(const MsSysSettings& sys)
{
    GSettings* p = Settings(m_pSettings);
    const GnomePointerValues want = GnomeValuesOf(sys);
    const GnomePointerValues have = Read();
    bool bOk = true;
    if (std::fabs(want.fSpeed - have.fSpeed) > 1e-6) bOk &= g_settings_set_double(p, "speed", want.fSpeed) != 0;
    if (want.nDoubleClick != have.nDoubleClick) bOk &= g_settings_set_int(p, "double-click", want.nDoubleClick) != 0;
    if (want.strAccelProfile != have.strAccelProfile)
        bOk &= g_settings_set_string(p, "accel-profile", want.strAccelProfile.c_str()) != 0;
    // Writes reach the desktop when the store is flushed; the settings daemon
    // tells the running applications.
    g_settings_sync();
    if (sys.nWheelLines != 3 || sys.nPointerTrails != 0)
        LogPrintf("Pointer settings: this desktop has no wheel-line or trail setting (lines %d, trails %d kept in the "
                  "profile)", int(sys.nWheelLines), int(sys.nPointerTrails));
    if (!bOk) LogPrintf("Pointer settings: the desktop refused a value");
    return bOk;
}

#endif
