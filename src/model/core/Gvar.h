// gVar: everything the files shipped beside the program say about this
// installation (options, interface layout, the device descriptions, the
// language and skin lists), filled once at start-up and read everywhere, plus
// the few globals that live beside it. What the user edits is not here: it is
// in the profile records (ProfileRecord.h).
//
// gVar is cleared to zero as a whole before the first option is read, so a
// field no file fills is 0. Only nMsSensor, pSensorCfg, pszTitle,
// bHighDpiScreen and the current-state globals change after start-up. All of it
// belongs to the user-interface thread; workers get snapshots.
//
// Field names follow the configuration keys that fill them, with the type
// prefixes n (integer), sz (string), clr (colour), pt (point), rc (rectangle).
// Fixed strings are char16_t arrays whose capacity counts the terminating zero.
#pragma once

#include <cstdint>
#include <filesystem>

#include "keys/KeyInfo.h"
#include "core/Types.h"

// ---- mouse description -------------------------------------------------------

constexpr int kSensorSlotNum = 20;     // slots in gVar.Ms.Sensor; the first 9 come from cfg.ini
constexpr int kSensorTableNum = 20;    // built-in DPI step tables
constexpr int kSensorDpiMax = 400;     // steps per table
constexpr int kMsLedOptNum = 15;
constexpr int kMsModeCount = 3;        // modes of a mouse
constexpr int kMsKeyCount = 21;        // key slots per mouse mode

// One sensor variant of the mouse: default DPI levels and colours, default keys
// per mode, report rates and the key marks on the mouse picture.
struct SensorCfg {
    int32_t nSensor;          // identifier such as 0x3360; 0 = empty slot
    int32_t nDM;              // DPI levels shown
    int32_t nDefLevel;        // level selected on reset, -1 = keep the device's
    int32_t Dpi[10];          // default DPI per level
    ZColor DpiClr[10];        // default colour per level
    int32_t nDPIH;
    int32_t nMDNUM;           // number of modes, 1..3
    int32_t nKM;              // keys of the mouse picture
    KeyInfo Key[kMsModeCount][kMsKeyCount];  // default key functions per mode
    int32_t nKEYY;
    int32_t nKEYH;
    int32_t nMOUSEX;
    int32_t nMOUSEY;
    int32_t nDR;              // default report rate of mode 1 (hertz in hexadecimal digits)
    int32_t nDR_2;
    int32_t nDR_3;
    int32_t nRATE1;           // the sensor's four report rates
    int32_t nRATE2;
    int32_t nRATE3;
    int32_t nRATE4;
    int32_t nKeyMask;
    ZRect Mark[kMsKeyCount];  // key marks on the mouse picture
    uint8_t byReserved[4];
};

// The DPI steps of one sensor with the byte the sensor takes for each.
struct SensorDpiTable {
    int32_t nSensor;
    int32_t nCount;
    int32_t Dpi[kSensorDpiMax];
    uint16_t HwCode[kSensorDpiMax];
    uint16_t LockCode[kSensorDpiMax];   // code used by DPI lock keys
};

// One mouse LED effect option (a "LedOpt%d" key of the mouse section).
struct LedOptMs {
    int32_t bValid;
    int32_t nPara1;           // effect code of the preview
    int32_t nEffectId;        // effect number of the mouse
    int32_t nPara2;           // speed control shown
    int32_t nPara3;           // brightness control shown
    int32_t nPara4;           // direction buttons shown
    int32_t nPara5;           // check box shown
    int32_t nClrNum;          // colour buttons, 0..10
    ZColor Clr[10];
};
static_assert(sizeof(LedOptMs) == 18 * 4);

struct PickColorMs {
    ZColor clr;
    int32_t nIndex;
};

struct MsDesc {
    uint16_t nVID;
    uint16_t nPID[5];         // wired product identifiers, 0 where not set
    uint16_t nPID2[5];        // identifiers through the 2.4 GHz receiver
    int32_t nMsSensor;        // sensor the program works with now
    SensorCfg Sensor[kSensorSlotNum];
    // Page options of the mouse section, in reading order.
    uint8_t nSnipMenu[28];    // [0] DPI-lock menu present, [1] its count (<= 15), then DPI indices
    int32_t nAutoSw;
    int32_t nPopByte1;
    int32_t nModeSWBySw;
    int32_t nHandOft;
    int32_t nKeyCodeHasIndex;
    int32_t nLedOffVal;
    int32_t nApplyMode;
    int32_t nSyncModeAfterApply;
    uint8_t RGBIndex[3];      // positions of red, green, blue in the device's LED triples
    uint8_t DPIRGBIndex[3];   // the same for DPI colours
    int32_t nDpiJump;
    int32_t nSingleMode;
    ZPoint ptLedOFFWhenMoving;
    int32_t nLedOFFWhenMoving;
    int32_t nShowMotionSync;
    ZPoint ptMotionSync;
    int32_t nEnhancePrecision;
    int32_t nMsMoveSpeed;
    int32_t PrecisionUI[12];
    int32_t nLOD;             // byte 0 level count, byte 1 default level
    uint8_t LODSet[16];
    uint8_t LODVal[16];
    int32_t nDefEffect;
    int32_t nDefLight;
    uint8_t LightUI[8];
    uint8_t LightHW[8];
    int32_t nDefSpeed;
    uint8_t SpeedUI[8];
    uint8_t SpeedHW[8];
    ZPoint ptLOD;
    uint8_t LodUI[8];
    uint8_t LodHW[8];
    int32_t nWirlessLOD;
    ZPoint ptDebounce;
    int32_t nDefDebounce;
    uint8_t DebounceUi[12];
    uint8_t DebounceHw[12];
    uint16_t nPop;
    int32_t nLedMask;
    int32_t nShowEffect;
    int32_t nLedInd;
    int32_t nDpiRGB;
    int32_t nShowDpiColor;
    int32_t nShowDpiCheck;
    int32_t nShowUsbRate;
    int32_t nSetUsbRateOnReset;
    int32_t ShowUsbRateForPUBG[4];
    int32_t nAlwaysHideUsbRate;
    int32_t nShowPUBGMenu;
    int32_t nShowLED;         // low byte of ShowLED
    int32_t nShowMacro;
    int32_t nShowLEDEx;       // second byte of ShowLED
    int32_t nShowXY;
    int32_t nRgbSW;
    int32_t nShowReportSw;
    int32_t nShowOnlyModeString;
    int32_t nShowKeySnip;
    int32_t nGunKeyParam;     // parameter of the last special key 173 in the sensor key lists
    LedOptMs LedOpt[kMsLedOptNum];
    int32_t nApplyAllLed;
    PickColorMs PickColor[15];
    int32_t nShowReaction;
    int32_t nShowOneStream;
    int32_t nHideDpiSw;
    int32_t nShowLOD;
    int32_t nModeSp;
    int32_t nShowPower;
    int32_t nShowSys;
    uint8_t ColorfulSteadyIndex[8];
    int32_t nDpiUILevels;
    ZPoint ptReportBar;
    ZPoint ptSleep;
    int32_t nShowNoSleep;
    int32_t nShowPowerValue;
    int32_t nPowerFw;
    int32_t nShowPowerGrid;
    ZColor clrFull;
    ZColor clrLow;
    uint8_t GunValue[21];
    ZColor GunColor[7];
    ZColor clrChijiBkg;
    ZColor clrDpiMark;
    ZColor clrDpiSelect;
    int32_t nShootSpeed;
    int32_t nShootFudu;
    int32_t nShowEx;          // three flag bytes
    int32_t ExKey[6];
    ZColor clrEffectTail[7];
    uint8_t DpiSW[3];
    uint8_t DpiSW2[3];
    ZColor clrPickMs[8];
    ZRect rcDpiText;
    // How many values the tables above hold, as read: the pages offer that many.
    int32_t nLightNum;        // LightUI / LightHW
    int32_t nSpeedNum;        // SpeedUI / SpeedHW
    int32_t nLodNum;          // LodUI / LodHW (ShowLOD 1), or 16 for LODSet / LODVal (ShowLOD 2)
    int32_t nDebounceNum;     // DebounceUi / DebounceHw; 0 when there is no debounce option
    int32_t nPrecisionNum;    // PrecisionUI
};

// ---- keyboard description ----------------------------------------------------

constexpr int kKbLedOptNum = 24;
constexpr int kKbDefKeyNum = 132;
constexpr int kGaoshouGroupMax = 10;

// One keyboard LED mode option (a "LedOpt%d" key of the keyboard section).
struct LedOptKb {
    int32_t nDevMode;         // mode number sent to the keyboard
    int32_t nPreviewEffect;   // effect code of the preview
    int32_t bSpeed;
    int32_t bBright;
    int32_t bDirect;
    int32_t bColorful;
    int32_t nColors;          // colour button shown (0/1)
    ZColor clrDef[7];
};
static_assert(sizeof(LedOptKb) == 14 * 4);

// Keys of the keyboard section in reading order, then what the key table and
// the option section add.
struct KbDesc {
    uint16_t nVID;
    uint16_t nPID;
    uint16_t nPID2;
    char16_t szUSBString[30];   // product string the keyboard must report
    int32_t nLedMask;
    int32_t nMusicMask;
    int32_t nGameMask;
    int32_t nVerNeedToUpdate;
    int32_t nVerUpdate;
    int32_t nUpdateForNoDev;
    int32_t nShowEffect;
    int32_t nHasFuncTy;
    ZColor clrKeyOv;
    ZColor clrKeyDn;
    ZColor clrKeyHasFunc;
    uint8_t GameGroupIndex[4];
    ZPoint ptLight;
    ZPoint ptSpeed;
    ZPoint ptDebounce;
    int32_t nDefDebounce;
    int32_t nSpeedNum;          // packed speed range of the effects
    int32_t nBriNum;            // packed brightness range
    uint8_t KeyNotToSetColor[4];
    int32_t nKVaroRGB;
    int32_t nKeyNotToSet;
    int32_t nRandomVal;
    int32_t nWheelMode;
    int32_t nTipForDevCfg;
    int32_t nTipForWireless;
    int32_t nWaitTm;            // pause between keyboard transfers, ms
    int32_t nFrameKey;
    int32_t nRespireType;
    int32_t nPaomaType;
    int32_t nMinLightEffectOFF;
    int32_t nKbLayout;
    int32_t nKbDrawType;
    int32_t nSyncKB;
    int32_t nVkCustom;
    int32_t nMaxFnNum;
    int32_t nDefSelectKey;
    uint8_t ColorfulEffect[4];
    uint8_t NeonSpeed[5];
    uint8_t SleepTime[11];
    ZRect rcKB;
    int32_t DefLed[20];
    int32_t nUnRectKey;         // key with a non-rectangular outline (Enter), 0 = none
    int32_t nEnterPtNum;        // points of that outline
    ZPoint EnterPt[24];
    int32_t nLedModeSelectOffset;
    int32_t nEffectBase;
    uint8_t nEffectOffset;
    uint8_t RGBIndex[3];        // positions of red, green, blue in the keyboard's triples
    uint8_t GameRGBIndex[3];
    uint8_t LEDParam[50];       // lighting parameters in pairs
    uint8_t nDefCfg;
    uint8_t nOurCfg;            // configuration byte of this product
    int32_t nDefLedIndex;
    uint8_t nGaoshouIndex;      // effect index of the key-group lighting
    int32_t nStartGp;
    int32_t nGaoshouAddr;
    int32_t nShowGaoshouGroup;
    int32_t nDefGaoshouGroup;
    uint8_t nGaoshouGroupNum;   // at most kGaoshouGroupMax
    uint8_t CustomGp[2];
    uint8_t PaomaVk[264];
    ZColor clrGaoshou;
    uint8_t GaoshouKey[kGaoshouGroupMax][132];
    uint8_t GaoshouKeyColor[kGaoshouGroupMax][132];
    LedOptKb LedOpt[kKbLedOptNum];
    int32_t nMaxEftKeyIndex;
    int32_t nKeyNum;            // keys read from the key table section
    int32_t nUIKeyNum;          // key slots the pages and protocols use
    uint8_t Direct[3][3];       // direct keys, from the option section
};

// ---- pad description ---------------------------------------------------------

struct PadDesc {
    uint16_t nVID;
    uint16_t nPID;
    ZPoint ptPadDlg;
    int32_t nShowEffect;
    int32_t LedParam[20];       // default lighting: [0] effect record, [1..4] its values
    ZPoint ptEft1;
    ZPoint ptEft2;
    int32_t nEftGridW;
    int32_t nLedMask;
};

// ---- language and skin lists ---------------------------------------------------

constexpr int kLangSkinMax = 10;

struct LangSkinEntry {
    char16_t szName[30];        // display name
    char16_t szDir[30];         // folder under the application folder, as written
};

// ---- the record ----------------------------------------------------------------

struct GlobalVar {
    // Interface colours.
    ZColor clrTxt;
    ZColor clrBtnTxtNr;
    ZColor clrBtnTxtOv;
    ZColor clrBtnTxtDn;
    ZColor clrMenuTxtNr;
    ZColor clrMenuTxtOv;
    ZColor clrMenuTxtDn;
    ZColor clrLstBoxBkg;
    ZColor clrLstBoxItem;
    ZColor clrLstBoxTxtNr;
    ZColor clrLstBoxTxtDn;
    ZColor clrPick[8];          // colour picker swatches
    ZColor clrBarNr;
    ZColor clrBarOv;

    MsDesc Ms;
    KbDesc Kb;
    uint8_t nColorIndex;        // keyboard colour scheme, filled with the keyboard description
    PadDesc Pad;

    // Application options.
    char16_t szTitle[40];
    // The title in use: szTitle when it is not empty, else the catalogue title.
    // Null until start-up has loaded the catalogue; it points at storage that
    // lives for the whole run (szTitle or the catalogue's text).
    const char16_t* pszTitle;
    char16_t szUpateUrl[100];
    int32_t nVer;
    int32_t nBtnTips;
    char16_t szAppdir[30];      // name of the per-user data folder
    char16_t szFontName[30];
    uint8_t FontSize[3];        // font height on normal, wide and very wide screens
    ZColor clrMask;
    int32_t nPopWndTrans;
    ZColor clrPopWndBkg;
    ZRect rcSubDlg;
    ZRect rcHomePageBtn;
    ZRect rcWeb;
    ZRect rcWebFacebook;
    ZRect rcWebTwitter;
    ZRect rcDevStatusBtn;
    int32_t nMenuAlign;
    int32_t nMsFw;              // mouse family: low 4 bits kind, 4..7 bullets, 8.. LED layout
    int32_t nKbFw;              // 0 or 20..24
    int32_t nPadFw;             // 0 or 40
    int32_t nSubMsFw;
    int32_t nTrayIcon;
    bool bMultiDev;             // more than one device family configured
    int32_t nComboRec;
    int32_t nProfileNum;
    int32_t nViewKeyNum;
    int32_t nKbType;
    int32_t nSuwnd;
    int32_t nGoWithNoDev;
    int32_t nApplyNow;
    int32_t nFrameDebug;
    int32_t nExitOnPlugOut;
    bool bHighDpiScreen;        // set by the main window from the screen width
    ZPoint ptKeyMsDlg;
    ZPoint ptMinBtn;
    ZPoint ptDpiDlg;
    ZPoint ptMsMarkDlg;
    ZPoint ptResetBtn;
    ZPoint ptViewBtn;
    ZRect rcNavi;
    int32_t nNaviSpc;
    int32_t nProfileGpY;
    int32_t nRGBBarDrop;
    int32_t nShowSupport;
    int32_t nShowMusic;
    int32_t nMacro_Opt_X;
    int32_t nMacOperBtn;
    uint16_t nListTrans;        // only 16 bits are kept
    int32_t nMacroDir;
    int32_t nMinDelay;
    int32_t nMacroHasMsKey;
    ZRect rcMacroList;
    ZRect rcKeyList;
    int32_t nMacProtocol;       // 1 or 2
    int32_t nAutoSaveMacro;
    int32_t nShowMovingItem;
    int32_t nMid;
    int32_t nShowLoopUntilAnyKey;

    // Language and skin lists.
    LangSkinEntry Lang[kLangSkinMax];
    int32_t nLangIndex;
    int32_t nLangNum;
    LangSkinEntry Skins[kLangSkinMax];
    int32_t nSkinsIndex;
    int32_t nSkinsNum;
};

extern GlobalVar gVar;

// Clears gVar to zero as a whole (pszTitle becomes null).
void ClearGvar();

// Macro limits of the configured device families.
struct HwParam {
    int32_t nDelayMin;          // shortest delay of a macro step, ms
    int32_t nMacroBufferSize;   // bytes of one device macro buffer
    int32_t nMacroBufferNum;    // number of macro buffers
    int32_t nLoopMax;           // highest repeat count
    int32_t nDelayMax;          // longest delay of a macro step, ms
    int32_t nMaxAction;         // most actions in one macro
};
extern HwParam hwParam;

// ---- globals beside gVar ---------------------------------------------------------

extern std::filesystem::path g_szAppDir;   // shipped files: cfg.ini, text, skins, effects
extern std::filesystem::path g_szUserDir;  // files the program writes

// Position and default function of every mouse key per mode, from keycfg.kyg
// or the current sensor's default keys.
extern KeyInfo g_MsKeyLayout[kMsModeCount][kMsKeyCount];
// Default keyboard key table built from cfg.ini; index = key number - 1.
extern KeyInfo g_defKEY[kKbDefKeyNum];
// Built-in DPI step tables of the known sensors.
extern SensorDpiTable g_SensorDpiTables[kSensorTableNum];
// Description of the sensor in gVar.Ms.nMsSensor; null when no slot has it.
extern SensorCfg* pSensorCfg;

// What the mouse reported last; -1 while unknown (0xFF: the mouse gave no valid mode).
extern int g_nCurMode;
extern int g_nCurDpiLevel[kMsModeCount];   // DPI level index per mode
extern int g_nCurLODLevel[kMsModeCount];   // lift-off level per mode

// Factor by which images, positions and control metrics are multiplied; the
// main window sets it from the screen width.
extern float g_fScale;
