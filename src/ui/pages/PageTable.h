// The pages of the main window in one table: which navigation target each
// page serves, which targets share one page object (the mouse pages share the
// mouse picture), and how the page is made. The window creates a page the
// first time one of its targets is shown. A new page adds its file under
// src/ui/pages (or keys/, lighting/, update/) and one line here.
#pragma once

#include <QString>
#include <span>

#include "ui/pages/Page.h"

struct PageEntry {
    PageId id;
    const char* pszGroup;       // targets of one group share one page object
    DevKind kind;               // the device the page belongs to; None: every device's
    CPage* (*make)(const PageContext& ctx, QWidget* pParent);
};

std::span<const PageEntry> PageTable();
const PageEntry* FindPage(PageId id);
// The name of a navigation target, for the log and for the empty page.
QString PageName(PageId id);

// The page of a target that has no page of its own yet: its name on the
// background, nothing else.
class CNamedPage : public CPage {
    Q_OBJECT
public:
    CNamedPage(const PageContext& ctx, DevKind kind, QWidget* pParent);
    void ShowView(PageId id) override;
    PageId View() const { return m_id; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    PageId m_id = PageId::None;
};
