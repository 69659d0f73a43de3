#include "ui/skin/TreeCtrlEx.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

namespace {

// Every row is as high as the tree says.
class CRowDelegate final : public QStyledItemDelegate {
public:
    explicit CRowDelegate(CTreeCtrlEx* pTree) : QStyledItemDelegate(pTree), m_pTree(pTree) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(1, m_pTree->ItemHeight());
    }

private:
    CTreeCtrlEx* m_pTree;
};

// Draws img inside rc: centred when it is smaller, else filling rc.
void DrawFitted(QPainter& p, const QImage& img, const QRect& rc)
{
    if (img.isNull() || rc.isEmpty()) return;
    const QSize sz = skin::LogicalSize(img);
    if (sz.width() <= rc.width() && sz.height() <= rc.height())
        p.drawImage(QPoint(rc.x() + (rc.width() - sz.width()) / 2, rc.y() + (rc.height() - sz.height()) / 2), img);
    else
        p.drawImage(rc, img);
}

}  // namespace

CTreeCtrlEx::CTreeCtrlEx(QWidget* pParent, const QRect& rc, const QImage& imgPageBack, const QString& strExpanded,
                         const QString& strCollapsed, const skin::SkinTheme& theme)
    : QTreeWidget(pParent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setIndentation(20);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragEnabled(false);
    setItemDelegate(new CRowDelegate(this));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setGeometry(rc);
    SetBackground(imgPageBack);
    SetExpandImages(strExpanded, strCollapsed);
    SetItemHeight(kDefItemHeight);
    m_look.nIconBox = 18;
    m_look.nIconSize = std::min(m_nItemHeight, 18);
    m_look.nTipLen = 20;
    m_look.bIconForAll = false;
    m_look.clrText = ToZColor(theme.clrText);
    m_look.clrSelText = ToZColor(theme.clrMenuTextOv);
    SetFonts(theme.font, theme.font);
}

CTreeCtrlEx::~CTreeCtrlEx() = default;

void CTreeCtrlEx::SetBackground(const QImage& imgPageBack)
{
    m_imgBack = imgPageBack.isNull() ? QImage() : skin::CutBackground(imgPageBack, geometry());
    viewport()->update();
}

void CTreeCtrlEx::SetExpandImages(const QString& strExpanded, const QString& strCollapsed)
{
    m_imgExpanded = strExpanded.isEmpty() ? QImage() : skin::LoadChosen(strExpanded);
    m_imgCollapsed = strCollapsed.isEmpty() ? QImage() : skin::LoadChosen(strCollapsed);
    viewport()->update();
}

void CTreeCtrlEx::SetFonts(const QFont& fontText, const QFont& fontSelText)
{
    m_fontText = fontText;
    m_fontSelText = fontSelText;
    viewport()->update();
}

void CTreeCtrlEx::SetItemHeight(int nHeight)
{
    m_nItemHeight = std::max(nHeight, 1);
    doItemsLayout();
    viewport()->update();
}

void CTreeCtrlEx::LookChanged() { viewport()->update(); }

void CTreeCtrlEx::SetScale(float fScale)
{
    m_fScale = fScale;
    m_look.nIndentGap = int(float(m_look.nIndentGap) * fScale);
    SetItemHeight(int(float(m_nItemHeight) * fScale));
}

// ---- items and records ------------------------------------------------------

TreeItemInfo* CTreeCtrlEx::AddRecord(QTreeWidgetItem* pItem, int nKind, const QImage& imgIcon, int nKey, int nData,
                                     int nTextOffset)
{
    auto pInfo = std::make_unique<TreeItemInfo>();
    pInfo->hItem = pItem;
    pInfo->image = imgIcon.isNull() ? QImage() : imgIcon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pInfo->nKey = nKey;
    pInfo->nData = nData;
    pInfo->nKind = nKind;
    pInfo->nTextOffset = nTextOffset;
    TreeItemInfo* p = pInfo.get();
    m_records[pItem] = std::move(pInfo);
    return p;
}

QTreeWidgetItem* CTreeCtrlEx::AddItem(bool bFolder, QTreeWidgetItem* pParent, bool bSelect, const QImage& imgIcon,
                                      const QString& strText, int nKey, int nData, int nTextOffset)
{
    if (pParent == invisibleRootItem()) pParent = nullptr;
    if (pParent) {
        const TreeItemInfo* pParentInfo = FindRecord(pParent);
        if (!pParentInfo || pParentInfo->nKind != kFolder) return nullptr;
    }
    if (bFolder && Depth(pParent) >= m_look.nMaxDepth) return nullptr;
    auto* pItem = new QTreeWidgetItem(QStringList(strText));
    if (bFolder) pItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    (pParent ? pParent : invisibleRootItem())->addChild(pItem);
    AddRecord(pItem, bFolder ? kFolder : kLeaf, imgIcon, nKey, nData, nTextOffset);
    if (bSelect) {
        if (pParent) SetExpandedState(pParent, true);
        Select(pItem);
    }
    return pItem;
}

QTreeWidgetItem* CTreeCtrlEx::AddItemFromFile(bool bFolder, QTreeWidgetItem* pParent, bool bSelect,
                                              const QString& strIconPath, const QString& strText, int nKey, int nData,
                                              int nTextOffset)
{
    const QImage img = strIconPath.isEmpty() ? QImage() : QImage(strIconPath);
    return AddItem(bFolder, pParent, bSelect, img, strText, nKey, nData, nTextOffset);
}

QTreeWidgetItem* CTreeCtrlEx::InsertNear(QTreeWidgetItem* pItem, bool bSelect, bool bBefore, const QImage& imgIcon,
                                         const QString& strText, int nKey, int nData)
{
    if (!pItem || pItem == invisibleRootItem() || !FindRecord(pItem)) return nullptr;
    QTreeWidgetItem* pParent = pItem->parent() ? pItem->parent() : invisibleRootItem();
    const int nIndex = pParent->indexOfChild(pItem);
    auto* pNew = new QTreeWidgetItem(QStringList(strText));
    pParent->insertChild(bBefore ? nIndex : nIndex + 1, pNew);
    AddRecord(pNew, kLeaf, imgIcon, nKey, nData, 0);
    if (bSelect) Select(pNew);
    return pNew;
}

void CTreeCtrlEx::ForgetSubtree(QTreeWidgetItem* pItem)
{
    for (int i = 0; i < pItem->childCount(); ++i) ForgetSubtree(pItem->child(i));
    if (m_pHover == pItem) {
        m_pHover = nullptr;
        m_strTip.clear();
    }
    m_records.erase(pItem);
}

void CTreeCtrlEx::DeleteItem(QTreeWidgetItem* pItem)
{
    if (!pItem || pItem == invisibleRootItem()) return;
    // The records of everything under a folder go with it, so none points at a deleted item.
    ForgetSubtree(pItem);
    delete pItem;
    viewport()->update();
}

void CTreeCtrlEx::DeleteAll()
{
    m_pHover = nullptr;
    m_strTip.clear();
    clear();
    m_records.clear();
}

QTreeWidgetItem* CTreeCtrlEx::FindByKey(int nKey) const
{
    // Tree order, so that the first of several items with one key is found.
    std::function<QTreeWidgetItem*(QTreeWidgetItem*)> find = [&](QTreeWidgetItem* pParent) -> QTreeWidgetItem* {
        for (int i = 0; i < pParent->childCount(); ++i) {
            QTreeWidgetItem* pChild = pParent->child(i);
            const TreeItemInfo* pInfo = FindRecord(pChild);
            if (pInfo && pInfo->nKey == nKey) return pChild;
            if (QTreeWidgetItem* pFound = find(pChild)) return pFound;
        }
        return nullptr;
    };
    return find(invisibleRootItem());
}

bool CTreeCtrlEx::UpdateItem(int nKey, const QString& strText, int nNewKey)
{
    QTreeWidgetItem* pItem = FindByKey(nKey);
    if (!pItem) return false;
    pItem->setText(0, strText);
    FindRecord(pItem)->nKey = nNewKey;
    return true;
}

void CTreeCtrlEx::SetExpandedState(QTreeWidgetItem* pItem, bool bExpanded)
{
    if (TreeItemInfo* pInfo = FindRecord(pItem)) pInfo->bExpanded = bExpanded;
    pItem->setExpanded(bExpanded);
    viewport()->update();
}

void CTreeCtrlEx::Expand(TreeExpand action, QTreeWidgetItem* pItem)
{
    if (!pItem || pItem == invisibleRootItem()) return;
    const TreeItemInfo* pInfo = FindRecord(pItem);
    const bool bNow = pInfo ? pInfo->bExpanded : pItem->isExpanded();
    switch (action) {
    case TreeExpand::Collapse: SetExpandedState(pItem, false); break;
    case TreeExpand::Expand: SetExpandedState(pItem, true); break;
    case TreeExpand::Toggle: SetExpandedState(pItem, !bNow); break;
    }
}

bool CTreeCtrlEx::EnumChildren(QTreeWidgetItem* pItem, const EnumFn& fn, bool bRecursive)
{
    QTreeWidgetItem* pParent = pItem ? pItem : invisibleRootItem();
    for (int i = 0; i < pParent->childCount(); ++i) {
        QTreeWidgetItem* pChild = pParent->child(i);
        if (bRecursive && pChild->childCount() > 0 && EnumChildren(pChild, fn, true)) return true;
        if (fn(pChild, FindRecord(pChild), pChild->text(0))) return true;
    }
    return false;
}

int CTreeCtrlEx::Depth(const QTreeWidgetItem* pItem) const
{
    if (!pItem || pItem == invisibleRootItem()) return 0;
    int nDepth = 1;  // the invisible root
    for (const QTreeWidgetItem* p = pItem->parent(); p; p = p->parent()) ++nDepth;
    return nDepth;
}

TreeItemInfo* CTreeCtrlEx::FindRecord(const QTreeWidgetItem* pItem) const
{
    auto it = m_records.find(pItem);
    return it == m_records.end() ? nullptr : it->second.get();
}

TreeItemInfo* CTreeCtrlEx::SelectByKey(int nKey)
{
    QTreeWidgetItem* pItem = FindByKey(nKey);
    if (!pItem) return nullptr;
    Select(pItem);
    if (pItem->parent()) SetExpandedState(pItem->parent(), true);
    scrollToItem(pItem);
    return FindRecord(pItem);
}

QTreeWidgetItem* CTreeCtrlEx::SelectedItem() const
{
    const QList<QTreeWidgetItem*> sel = selectedItems();
    return sel.isEmpty() ? nullptr : sel.front();
}

void CTreeCtrlEx::Select(QTreeWidgetItem* pItem)
{
    if (pItem) {
        setCurrentItem(pItem);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
    viewport()->update();
}

// ---- drawing ----------------------------------------------------------------

CTreeCtrlEx::RowLayout CTreeCtrlEx::LayoutRow(const QTreeWidgetItem* pItem) const
{
    RowLayout lay;
    const TreeItemInfo* pInfo = FindRecord(pItem);
    if (!pInfo) return lay;
    const QRect rcItem = visualItemRect(pItem);
    if (!rcItem.isValid()) return lay;
    const int x = rcItem.left();
    const int nTop = rcItem.top();
    const int h = m_nItemHeight;
    const int nIndent = indentation();
    const int nRight = viewport()->width() - 5;
    const int nGap = m_look.nIndentGap;
    const bool bIcon = !pInfo->image.isNull() || m_look.bIconForAll;
    lay.rcRow = QRect(0, nTop, viewport()->width(), h - 1);
    if (pInfo->nKind == kFolder) {
        lay.rcButton = QRect(x - nIndent, nTop, nIndent, h);
        if (bIcon) lay.rcIcon = QRect(x + nGap, nTop, m_look.nIconBox, h);
        const int nLeft = x + 2 * nGap + pInfo->nTextOffset + (bIcon ? m_look.nIconBox : 0);
        lay.rcText = QRect(QPoint(nLeft, nTop), QPoint(nRight - 1, nTop + h - 1));
    } else if (bIcon) {
        lay.rcIcon = QRect(x - nIndent, nTop, nIndent, h);
        lay.rcText = QRect(QPoint(x + nGap + pInfo->nTextOffset, nTop), QPoint(nRight - 1, nTop + h - 1));
    } else {
        lay.rcText = QRect(QPoint(x - nIndent + nGap, nTop), QPoint(nRight - 1, nTop + h - 1));
    }
    return lay;
}

void CTreeCtrlEx::paintEvent(QPaintEvent* e)
{
    {
        QPainter p(viewport());
        if (!m_imgBack.isNull()) {
            p.drawImage(viewport()->rect(), m_imgBack);
            if (m_look.nOverlayAlpha) p.fillRect(viewport()->rect(), QColor(0x1E, 0x1E, 0x1E, m_look.nOverlayAlpha));
        } else {
            p.fillRect(viewport()->rect(), QColor::fromRgba(m_look.clrBack));
        }
    }
    QTreeWidget::paintEvent(e);
    if (m_look.clrFrame) {
        QPainter p(viewport());
        p.setPen(ToQColor(m_look.clrFrame));
        p.setBrush(Qt::NoBrush);
        p.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
}

void CTreeCtrlEx::drawRow(QPainter* p, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const QTreeWidgetItem* pItem = itemFromIndex(index);
    const TreeItemInfo* pInfo = FindRecord(pItem);
    if (!pInfo) return;
    const RowLayout lay = LayoutRow(pItem);
    const bool bSelected = pItem->isSelected();
    if (bSelected)
        p->fillRect(lay.rcRow, QColor::fromRgba(m_look.clrSelRow));
    else if (m_look.bHoverRow && pItem == m_pHover)
        p->fillRect(lay.rcRow, QColor::fromRgba(m_look.clrHoverRow));
    if (pInfo->nKind == kFolder) DrawFitted(*p, pInfo->bExpanded ? m_imgExpanded : m_imgCollapsed, lay.rcButton);
    if (!pInfo->image.isNull() && !lay.rcIcon.isEmpty()) {
        const QSize szOwn = m_look.nIconBox == 0 ? skin::LogicalSize(pInfo->image) : QSize(m_look.nIconSize, m_look.nIconSize);
        const QSize sz(int(float(szOwn.width()) * m_fScale), int(float(szOwn.height()) * m_fScale));
        const QRect rc(lay.rcIcon.x() + (lay.rcIcon.width() - sz.width()) / 2,
                       lay.rcIcon.y() + (lay.rcIcon.height() - sz.height()) / 2, sz.width(), sz.height());
        p->drawImage(rc, pInfo->image);
    }
    const QFont& font = bSelected ? m_fontSelText : m_fontText;
    p->setFont(font);
    p->setPen(ToQColor(bSelected ? m_look.clrSelText : m_look.clrText));
    const QString strShown = QFontMetrics(font).elidedText(pItem->text(0), Qt::ElideRight, std::max(lay.rcText.width(), 0));
    p->drawText(lay.rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, strShown);
}

// ---- input ------------------------------------------------------------------

void CTreeCtrlEx::OnButton(Click click, const QPoint& pt)
{
    QTreeWidgetItem* pHit = itemAt(pt);
    QTreeWidgetItem* pPrev = SelectedItem();
    if (!pHit && !m_look.bClickEmpty) return;
    Select(pHit);
    switch (click) {
    case Click::Double:
        if (!pHit) return;
        Expand(TreeExpand::Toggle, pHit);
        emit itemDoubleClick(pHit);
        return;
    case Click::Left:
        if (pHit) {
            setFocus(Qt::MouseFocusReason);
            const TreeItemInfo* pInfo = FindRecord(pHit);
            // Left of the item's indented position lie its indent and expand button.
            if (pInfo && pInfo->nKind == kFolder && pt.x() < visualItemRect(pHit).left())
                Expand(TreeExpand::Toggle, pHit);
        }
        if (m_look.bIgnoreReselect && pHit == pPrev) return;
        emit itemLeftClick(pHit);
        return;
    case Click::Right:
        emit itemRightClick(pHit);
        return;
    }
}

void CTreeCtrlEx::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    if (!m_look.bMouse) return;
    if (e->button() == Qt::LeftButton) OnButton(Click::Left, e->position().toPoint());
    else if (e->button() == Qt::RightButton) OnButton(Click::Right, e->position().toPoint());
}

void CTreeCtrlEx::mouseDoubleClickEvent(QMouseEvent* e)
{
    e->accept();
    if (m_look.bMouse && e->button() == Qt::LeftButton) OnButton(Click::Double, e->position().toPoint());
}

void CTreeCtrlEx::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }

void CTreeCtrlEx::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    QTreeWidgetItem* pItem = itemAt(e->position().toPoint());
    if (pItem == m_pHover) return;
    m_pHover = pItem;
    const QString strTip = pItem && pItem->text(0).size() > m_look.nTipLen ? pItem->text(0) : QString();
    if (strTip != m_strTip) QToolTip::hideText();
    m_strTip = strTip;
    if (m_look.bHoverRow) viewport()->update();
}

bool CTreeCtrlEx::viewportEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ToolTip: {
        auto* pHelp = static_cast<QHelpEvent*>(e);
        if (m_strTip.isEmpty() || !m_pHover)
            QToolTip::hideText();
        else
            QToolTip::showText(pHelp->globalPos(), m_strTip, viewport(), visualItemRect(m_pHover));
        return true;
    }
    case QEvent::Leave:
        m_pHover = nullptr;
        m_strTip.clear();
        if (m_look.bHoverRow) viewport()->update();
        break;
    default: break;
    }
    return QTreeWidget::viewportEvent(e);
}

void CTreeCtrlEx::keyPressEvent(QKeyEvent* e)
{
    e->accept();
    // The arrow keys move the selection like a click on the row above or below, so
    // the owner shows the same as for a click; every other key is left to the owner.
    if (e->key() != Qt::Key_Up && e->key() != Qt::Key_Down) return;
    QTreeWidgetItem* pSel = SelectedItem();
    QTreeWidgetItem* pNext = nullptr;
    if (!pSel)
        pNext = topLevelItem(0);
    else
        pNext = e->key() == Qt::Key_Up ? itemAbove(pSel) : itemBelow(pSel);
    if (!pNext || pNext == pSel) return;
    Select(pNext);
    scrollToItem(pNext);
    emit itemLeftClick(pNext);
}

void CTreeCtrlEx::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
    if (e->key() == Qt::Key_Delete && !e->isAutoRepeat()) emit deleteKey();
}
