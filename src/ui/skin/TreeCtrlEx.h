// A self-drawn tree for the macro lists: folders and leaves with the owner's key
// and data per item, optional icons, row fills for the selected and hovered row,
// pictures for the expand buttons, tooltips for long texts. Mouse buttons and
// keys are handled here and reported to the owner as signals; the tree never
// edits or drags its items itself.
#pragma once

#include <QImage>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <unordered_map>

#include "core/Types.h"
#include "ui/skin/SkinTheme.h"

// The owner's record of one tree item.
struct TreeItemInfo {
    QTreeWidgetItem* hItem = nullptr;
    QImage image;           // icon; null when none
    int nKey = 0;           // the owner's key, e.g. a macro identifier
    int nData = 0;          // the owner's second value
    int nKind = 1;          // CTreeCtrlEx::kLeaf or kFolder
    int nTextOffset = 0;    // extra pixels before the text
    bool bExpanded = false;
};

// How the tree looks and reacts; the owner changes it after making the tree and calls
// CTreeCtrlEx::LookChanged(). Fill colours are 0xAARRGGBB, text and frame colours
// R | G<<8 | B<<16.
struct TreeLook {
    QRgb clrBack = 0xFF000000;      // fill without a background image
    QRgb clrSelRow = 0x96FFFFFF;
    QRgb clrHoverRow = 0xFF000000;
    bool bHoverRow = false;         // fill the row under the pointer
    int nOverlayAlpha = 0;          // darkens the background image with 0x1E1E1E at this alpha
    ZColor clrFrame = 0x646464;     // 0: no frame
    ZColor clrText = 0, clrSelText = 0;
    int nIndentGap = 2;             // gap between button, icon and text
    int nIconBox = 18;              // 0: icons at their own size
    int nIconSize = 18;
    bool bIconForAll = false;       // reserve the icon place for items without an icon
    int nMaxDepth = 5;              // deepest level a folder may be created at
    int nTipLen = 20;               // longer texts get a tooltip
    bool bMouse = true;             // react to mouse buttons
    bool bClickEmpty = true;        // a click on empty space selects nothing and reports it
    bool bIgnoreReselect = true;    // a left click on the selected item reports nothing
};

enum class TreeExpand { Collapse, Expand, Toggle };

class CTreeCtrlEx : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kLeaf = 1, kFolder = 2;
    static constexpr int kDefItemHeight = 20;

    // A tree at rc in pParent, over its piece of the page background, with the
    // expand-button pictures (names in the chosen skin folder or full paths; a
    // picture that does not load is not drawn; empty names: none). Both text
    // fonts are the theme's font.
    CTreeCtrlEx(QWidget* pParent, const QRect& rc, const QImage& imgPageBack, const QString& strExpanded,
                const QString& strCollapsed, const skin::SkinTheme& theme = skin::Theme());
    ~CTreeCtrlEx() override;
    // After a skin change: the piece of the new page background under the tree,
    // and the new expand-button pictures.
    void SetBackground(const QImage& imgPageBack);
    void SetExpandImages(const QString& strExpanded, const QString& strCollapsed);

    // Adds an item as the last child of pParent (null: the top level). Refused
    // (null) when pParent is not a folder, or for a folder when pParent already
    // has nMaxDepth ancestors. With bSelect the parent opens and the item is selected.
    QTreeWidgetItem* AddItem(bool bFolder, QTreeWidgetItem* pParent, bool bSelect, const QImage& imgIcon,
                             const QString& strText, int nKey, int nData, int nTextOffset = 0);
    QTreeWidgetItem* AddItemFromFile(bool bFolder, QTreeWidgetItem* pParent, bool bSelect, const QString& strIconPath,
                                     const QString& strText, int nKey, int nData, int nTextOffset = 0);
    // A leaf beside pItem under the same parent: after it, or with bBefore in front of it.
    QTreeWidgetItem* InsertNear(QTreeWidgetItem* pItem, bool bSelect, bool bBefore, const QImage& imgIcon,
                                const QString& strText, int nKey, int nData);
    // Removes the item with everything under it and their records.
    void DeleteItem(QTreeWidgetItem* pItem);
    void DeleteAll();
    // Renames the item whose record has nKey and gives it nNewKey; false when none has it.
    bool UpdateItem(int nKey, const QString& strText, int nNewKey);
    void Expand(TreeExpand action, QTreeWidgetItem* pItem);

    // Visits the children of pItem (null: the top level) in order; when recursive,
    // each child's own children are visited before the child. fn returns true to
    // stop; EnumChildren then returns true.
    using EnumFn = std::function<bool(QTreeWidgetItem* pItem, TreeItemInfo* pInfo, const QString& strText)>;
    bool EnumChildren(QTreeWidgetItem* pItem, const EnumFn& fn, bool bRecursive);

    // Ancestors of an item, the invisible root counted: 0 for the root, 1 at the top level.
    int Depth(const QTreeWidgetItem* pItem) const;
    TreeItemInfo* FindRecord(const QTreeWidgetItem* pItem) const;
    QTreeWidgetItem* FindByKey(int nKey) const;
    // Selects the item with that key and opens its parent; null when none has it.
    TreeItemInfo* SelectByKey(int nKey);
    QTreeWidgetItem* SelectedItem() const;
    // Selects the item (null: nothing) without reporting it.
    void Select(QTreeWidgetItem* pItem);

    void SetScale(float fScale);
    void SetItemHeight(int nHeight);
    int ItemHeight() const { return m_nItemHeight; }
    void SetFonts(const QFont& fontText, const QFont& fontSelText);
    TreeLook& Look() { return m_look; }
    void LookChanged();
    QTreeWidgetItem* HoverItem() const { return m_pHover; }
    // The tooltip for the row under the pointer; empty when its text is short.
    const QString& HoverTip() const { return m_strTip; }

    // Where the parts of a row go (viewport coordinates); empty rectangles for parts it has not.
    struct RowLayout { QRect rcRow, rcButton, rcIcon, rcText; };
    RowLayout LayoutRow(const QTreeWidgetItem* pItem) const;

signals:
    // The item clicked (null: empty space), or reached with Up/Down.
    void itemLeftClick(QTreeWidgetItem* pItem);
    void itemDoubleClick(QTreeWidgetItem* pItem);
    void itemRightClick(QTreeWidgetItem* pItem);
    // The Delete key, on its release.
    void deleteKey();

protected:
    void paintEvent(QPaintEvent* e) override;
    void drawRow(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    enum class Click { Left, Double, Right };
    void OnButton(Click click, const QPoint& pt);
    void SetExpandedState(QTreeWidgetItem* pItem, bool bExpanded);
    TreeItemInfo* AddRecord(QTreeWidgetItem* pItem, int nKind, const QImage& imgIcon, int nKey, int nData,
                            int nTextOffset);
    void ForgetSubtree(QTreeWidgetItem* pItem);

    std::unordered_map<const QTreeWidgetItem*, std::unique_ptr<TreeItemInfo>> m_records;
    TreeLook m_look;
    QImage m_imgBack;
    QImage m_imgExpanded, m_imgCollapsed;
    QFont m_fontText, m_fontSelText;
    int m_nItemHeight = kDefItemHeight;
    float m_fScale = 1.0f;
    QTreeWidgetItem* m_pHover = nullptr;
    QString m_strTip;
};
