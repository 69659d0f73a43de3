// The macro page: the macros of the macro folder as a tree of groups and
// macros on the left, the action list of the selected macro on the right, and
// beside it the repeat settings, the recorder and the editing buttons. Every
// change is written to the macro's file at once (AutoSaveMacro) or with the
// save button; a macro that a key of the current profile plays reaches the
// device with the next apply, or at once with ApplyNow.
//
// While recording, the page holds the keyboard: every key pressed in the
// program's window becomes a press or release in the list (by its place on the
// keyboard, so the layout does not change what is stored), and the page
// cannot be left.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <unordered_map>

#include "keys/MacroEdit.h"
#include "keys/MacroFolder.h"
#include "keys/MacroRecorder.h"
#include "ui/pages/Page.h"

class CPngBtn;
class CTreeCtrlEx;
class QCheckBox;
class QElapsedTimer;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;

class CMacroDlg : public CPage {
    Q_OBJECT
public:
    // The windows the page opens to ask for something; tests replace them.
    struct Hooks {
        // A key for the insert menu's key item: its code, or nullopt when cancelled.
        std::function<std::optional<uint8_t>(QWidget*)> captureKey;
        // A file to import, a file to export to (a suggested name), a folder to import.
        std::function<QString(QWidget*)> pickOpenFile;
        std::function<QString(QWidget*, const QString&)> pickSaveFile;
        std::function<QString(QWidget*)> pickFolder;
        // A wheel step or movement with its amount (the code and amount in and out).
        std::function<bool(QWidget*, bool bWheel, uint8_t& code, int& nAmount)> askAmount;
    };

    // The commands of the buttons and menus.
    enum Command : int {
        kCmdNew = 1, kCmdNewGroup = 2, kCmdDelete = 4, kCmdExport = 8, kCmdImport = 16, kCmdRename = 32,
        kCmdEditAction = 64, kCmdInsert = 128, kCmdImportGroup = 256, kCmdImportContent = 512,
        kCmdDeleteAction = 1024,
    };

    CMacroDlg(const PageContext& ctx, QWidget* pParent, Hooks hooks = {});
    ~CMacroDlg() override;

    void Reload() override;
    void Retext() override;
    void Reskin() override;
    void Collect() override;
    bool HoldsFocus() const override { return m_bRecording; }

    // Runs a command as its button or menu item does (byCode: the insert
    // menu's action code). While recording only the record button acts.
    void RunCommand(int nCmd, uint8_t byCode = 0);
    // Reads the macro folder again into the macro list and the tree.
    void ReloadFolder();
    // Selects the macro in the tree and loads it, as a click on it does.
    bool SelectMacro(uint32_t nMacroId);
    // The record button.
    void ToggleRecording();
    bool Recording() const { return m_bRecording; }
    // Writes the selected macro's changes to its file; false when that failed (said).
    bool Save();
    // The action list's selection, as rows.
    void SelectActions(const MacroSelection& sel);
    MacroSelection SelectedActions() const;

    MacroRecord* CurrentMacro() const { return m_pRec; }
    const std::filesystem::path& CurrentPath() const { return m_path; }
    const MacroItems& Items() const { return m_items; }
    std::filesystem::path Folder() const;

    CTreeCtrlEx* Tree() const { return m_pTree; }
    QListWidget* ActionList() const { return m_pList; }
    QPushButton* RecordButton() const { return m_pRecord; }
    QPushButton* SaveButton() const { return m_pSave; }
    QCheckBox* AutoDelayBox() const { return m_pAutoDelay; }
    QLineEdit* LoopField() const { return m_pLoop; }
    QRadioButton* RepeatRadio(int nMode) const;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* pObj, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void BuildControls();
    void Layout();
    void ApplyStyle();
    MacroContext Context() const;
    void Message(const std::u16string& text, const char16_t* pszCaption = u"Error");

    // Tree.
    void AddScanned(const MacroScanItem& item, std::vector<QTreeWidgetItem*>& parents);
    QTreeWidgetItem* AddMacroItem(QTreeWidgetItem* pParent, const std::u16string& name, uint32_t id,
                                  const std::filesystem::path& path, bool bSelect);
    std::filesystem::path TargetFolder(QTreeWidgetItem** ppParent) const;
    bool IsGroup(const QTreeWidgetItem* pItem) const;
    void OnTreeClick(QTreeWidgetItem* pItem);
    void OnTreeRightClick(QTreeWidgetItem* pItem);
    void ShowMenu(const std::vector<std::pair<int, std::u16string>>& cmds, uint8_t byInsertFor = 0);
    void LoadMacro(QTreeWidgetItem* pItem);
    void ClearEditor();

    // Commands.
    void NewMacro();
    void NewGroup();
    void DeleteSelected();
    void ExportSelected();
    void ImportFile();
    void ImportFolder(bool bAsGroup);
    void RenameSelected();
    void InsertAction(uint8_t byCode);
    void ShowInsertMenu();
    void EditAction();
    void DeleteActions();
    void MoveActions(int nStep);

    // The editor.
    void ShowItems(const MacroSelection& sel);
    void SetItems(const MacroEditResult& r);
    void ShowSettings();
    void Changed(uint32_t nFlags);
    void ReachDevices();
    bool Refuse();  // true (after the message) while recording
    void OnRecordKey(QKeyEvent* e, bool bDown);
    void OnLoopTyped();

    Hooks m_hooks;
    MacroLimits m_lim;
    CTreeCtrlEx* m_pTree = nullptr;
    QListWidget* m_pList = nullptr;
    QLabel* m_pTreeTitle = nullptr;
    QLabel* m_pListTitle = nullptr;
    QCheckBox* m_pAutoDelay = nullptr;
    QRadioButton* m_pRepeat[3] = {};  // tc_macro_loop1, 2, 3 (modes 0, 2, 1)
    QLineEdit* m_pLoop = nullptr;
    QLabel* m_pLoopRange = nullptr;
    QPushButton* m_pRecord = nullptr;
    QPushButton* m_pInsert = nullptr;
    QPushButton* m_pUp = nullptr;
    QPushButton* m_pDown = nullptr;
    QPushButton* m_pSave = nullptr;
    QLabel* m_pHint = nullptr;
    CPngBtn* m_pNew = nullptr;
    CPngBtn* m_pDel = nullptr;
    CPngBtn* m_pEdit = nullptr;
    CPngBtn* m_pDelAction = nullptr;

    std::unordered_map<const QTreeWidgetItem*, std::filesystem::path> m_paths;
    int m_nNextGroupKey = -1;
    MacroRecord* m_pRec = nullptr;        // in g_MacroList
    std::filesystem::path m_path;
    MacroItems m_items;
    bool m_bLoading = false;

    bool m_bRecording = false;
    std::optional<CMacroRecorder> m_recorder;
    std::unique_ptr<QElapsedTimer> m_clock;
};
