// What every page of the main window is given and what it offers the window.
//
// A page is a widget of its own file, created the first time it is shown and
// placed in the page rectangle of the main window. It edits the current
// profile through the profile editor: it changes the record, then calls
// Edited with the apply flags of what changed, and the editor saves the
// profiles and, with ApplyNow, writes only that to the device at once.
//
// The window calls Reload when the current profile or device changed, Retext
// after a language change, Reskin after a skin or scale change, Collect before
// the main Apply, and DeviceEvent when the device reported something on its
// own (a DPI button, a mode, a rate). None of them rebuilds the page.
#pragma once

#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/IPrompt.h"
#include "core/Navigation.h"
#include "device/ProfileEditor.h"

class CDeviceHub;
struct DeviceEvent;

struct PageContext {
    CDeviceHub* pHub = nullptr;          // null: no device is driven (the page shows the profile only)
    CProfileEditor* pProfile = nullptr;  // never null for a page the window made
    IPrompt* pPrompt = nullptr;          // messages and questions, skinned in the program, scripted in tests
    // The hub index of the device of a kind the window shows; kNoFamily when
    // that kind is not configured.
    std::function<size_t(DevKind)> familyOf;
    // The device shown now (the macro page serves every device).
    std::function<DevKind()> currentDevice;
};

class CPage : public QWidget {
    Q_OBJECT
public:
    // kind: the device the page belongs to; None for the pages every device shares.
    CPage(const PageContext& ctx, DevKind kind, QWidget* pParent);

    DevKind Kind() const { return m_kind; }

    // The page of a group that shows several navigation targets (the mouse
    // pages share one picture) is told which one is wanted.
    virtual void ShowView(PageId id) { (void)id; }
    virtual void Reload() {}
    virtual void Retext() {}
    virtual void Reskin() {}
    virtual void Collect() {}
    virtual void DeviceEvent(const ::DeviceEvent& e) { (void)e; }
    // While a modal window of the main window is open the page ignores input.
    virtual void SetBusy(bool bBusy) { m_bBusy = bBusy; }
    bool Busy() const { return m_bBusy; }
    // True while the page must not be left (the macro recorder runs).
    virtual bool HoldsFocus() const { return false; }

protected:
    const PageContext& Ctx() const { return m_ctx; }
    ProfileRecord* Profile() const { return m_ctx.pProfile ? m_ctx.pProfile->Current() : nullptr; }
    // The hub index of this page's device (of the device shown for a shared page).
    size_t Family() const;
    // The device of this page is attached and open.
    bool DeviceOpen() const;
    // The current profile was edited: saved, and with ApplyNow written to the device.
    CProfileEditor::Result Edited(uint32_t nFlags);
    IPrompt& Prompt() const;

    // The page's background: the piece of the main window's background under it.
    void paintEvent(QPaintEvent* e) override;
    // Keys that would close or act on something else (Enter, Escape, Space,
    // F1) do nothing on a page that takes them here; true when it took one.
    static bool SwallowPageKey(QKeyEvent* e);

private:
    PageContext m_ctx;
    DevKind m_kind;
    bool m_bBusy = false;
};
