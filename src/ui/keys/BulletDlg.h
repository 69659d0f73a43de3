// The bullet page: the bullets and groups of the bullet folder in a tree, the
// steps of the selected bullet in a second list, the repeat settings and the
// value fields of the selected step. Steps change in the bullet's record at
// once (CBulletEditor); the record's file is written when the user clicks in
// the bullet tree, after an import, before a rename and when the page closes.
// Commands come from the buttons, the context menus (function menu) and the
// keys of the two lists.
#pragma once

#include <QPointer>
#include <filesystem>
#include <unordered_map>

#include "keys/BulletEditor.h"
#include "keys/FunctionMenu.h"
#include "keys/MacroFolder.h"
#include "ui/pages/Page.h"

class CPngBtn;
class CTreeCtrlEx;
class CMenuDlg;
class QLabel;
class QLineEdit;
class QTreeWidgetItem;

class CBulletDlg final : public CPage {
    Q_OBJECT
public:
    // The commands of the context menus (and the buttons).
    enum Command : uint32_t {
        kCmdNew = 1,
        kCmdNewGroup = 2,
        kCmdDelete = 4,
        kCmdExport = 8,
        kCmdImport = 16,
        kCmdRename = 32,
        kCmdEditStep = 64,
        kCmdInsert = 128,
        kCmdImportGroup = 256,
        kCmdCopyFolder = 512,
        kCmdDeleteStep = 1024,
        kCmdExportLocked = 2048,
        kCmdCopyFolderLocked = 4096,
    };

    CBulletDlg(const PageContext& ctx, QWidget* pParent);
    // Writes every changed bullet.
    ~CBulletDlg() override;

    void Reload() override;
    void Retext() override;
    void Reskin() override;

    // Runs a command; for kCmdInsert the step code (0xF0..0xFB) is byCode.
    void RunCommand(uint32_t nCmd, uint8_t byCode = 0);
    void NewBullet();
    void AddShot();
    void InsertStep(uint8_t byCode);
    void EditStep();
    void DeleteStep();
    void DeleteItem();
    // Export and import without the file windows.
    bool ExportTo(const std::filesystem::path& dest, bool bLock);
    bool ImportFrom(const std::filesystem::path& src);

    // A left click in the bullet tree (null: empty space) or the step list.
    void ClickTree(QTreeWidgetItem* pItem);
    void ClickStep(int nIndex);
    // The context menu of the tree (pItem null: empty space) or of the step list.
    CMenuDlg* OpenTreeMenu(QTreeWidgetItem* pItem);
    CMenuDlg* OpenStepMenu(bool bOnStep);

    // Writes every bullet of the tree whose record is marked changed.
    void FlushAll();

    CTreeCtrlEx* Tree() const { return m_pTree; }
    CTreeCtrlEx* StepList() const { return m_pSteps; }
    QTreeWidgetItem* FindBulletItem(uint32_t id) const;
    std::filesystem::path PathOf(const QTreeWidgetItem* pItem) const;
    MacroRecord* ShownBullet() const { return m_editor.Record(); }
    const CBulletEditor& Editor() const { return m_editor; }
    QLineEdit* ValueField(int n) const { return n == 1 ? m_pField1 : n == 2 ? m_pField2 : nullptr; }
    QLineEdit* CountField() const { return m_pCount; }
    CPngBtn* LoopRadio(int nMode) const { return nMode == 0 ? m_pLoop1 : nMode == 2 ? m_pLoop2 : nullptr; }
    CPngBtn* AddShotButton() const { return m_pAddShot; }
    // The folder this page shows.
    std::filesystem::path Folder() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Build();
    void LayOut();
    void FillTree();
    void ShowBullet(MacroRecord* pRec);
    void FillSteps();
    void FillFields();
    void ShowRepeat();
    void Report(BulletEdit r);
    void ApplyEdit(BulletEdit r);
    void OnFieldEdited(int nField);
    void OnCountEdited(const QString& str);
    MacroRecord* RecordOf(const QTreeWidgetItem* pItem) const;
    QTreeWidgetItem* ParentForNew() const;
    bool IsGroup(const QTreeWidgetItem* pItem) const;
    bool NameTaken(QTreeWidgetItem* pParent, const std::u16string& name) const;
    std::filesystem::path FolderOf(QTreeWidgetItem* pGroup) const;
    QTreeWidgetItem* AddTreeItem(bool bGroup, QTreeWidgetItem* pParent, const QString& strName, uint32_t id,
                                 const std::filesystem::path& path, bool bSelect);
    void RemoveRecordsUnder(QTreeWidgetItem* pItem);
    void Rename();
    void NewGroup();
    void ImportFolder(bool bAsGroup, bool bLock);
    CMenuDlg* OpenMenu(std::vector<MenuItem> items, int nWidth);
    void Message(const std::u16string& str);
    MacroContext Context() const;

    CBulletEditor m_editor;
    std::unordered_map<const QTreeWidgetItem*, std::filesystem::path> m_paths;
    std::vector<std::filesystem::path> m_keptAside;

    CTreeCtrlEx* m_pTree = nullptr;
    CTreeCtrlEx* m_pSteps = nullptr;
    CPngBtn* m_pNew = nullptr;
    CPngBtn* m_pDelete = nullptr;
    CPngBtn* m_pAddShot = nullptr;
    CPngBtn* m_pDeleteStep = nullptr;
    CPngBtn* m_pLoop1 = nullptr;
    CPngBtn* m_pLoop2 = nullptr;
    CPngBtn* m_pLoop3 = nullptr;   // kept for records in that mode; never shown
    QLineEdit* m_pCount = nullptr;
    QLineEdit* m_pField1 = nullptr;
    QLineEdit* m_pField2 = nullptr;
    QLabel* m_pLabel1 = nullptr;
    QLabel* m_pLabel2 = nullptr;
    QLabel* m_pLocked = nullptr;
    bool m_bFilling = false;
};
