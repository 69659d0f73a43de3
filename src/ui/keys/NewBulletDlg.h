// The new-bullet window: a name and a few numbers from which a bullet is
// generated (shots, click duration, interval, downward step per shot, one
// click at the start only). Drawn on the message window's background.
#pragma once

#include "keys/BulletSteps.h"
#include "ui/skin/SkinDialog.h"

class CPngBtn;
class QLineEdit;

class CNewBulletDlg : public CSkinDialog {
    Q_OBJECT
public:
    explicit CNewBulletDlg(QWidget* pOwner);

    QLineEdit* NameField() const { return m_pName; }
    QLineEdit* ShotsField() const { return m_pShots; }
    QLineEdit* ClickField() const { return m_pClick; }
    QLineEdit* IntervalField() const { return m_pInterval; }
    QLineEdit* StepField() const { return m_pStep; }
    // Null when the catalogue has no text for it.
    CPngBtn* SingleClickBox() const { return m_pSingle; }
    CPngBtn* OkButton() const { return m_pOk; }
    // The tooltip the name field shows after a refused character.
    QString NameTip() const { return m_strNameTip; }

    // What the fields hold, brought into range as OK takes them.
    BulletGenInput Input() const;

public slots:
    // Closes with OK unless the name is empty.
    void OnOK();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QLineEdit* AddField(const QRect& rc, const QString& strText, int nMaxLen);
    void OnNameEdited(const QString& str);
    void CapShots();

    struct Label {
        QRect rc;
        QString strText;
    };
    std::vector<Label> m_labels;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pShots = nullptr;
    QLineEdit* m_pClick = nullptr;
    QLineEdit* m_pInterval = nullptr;
    QLineEdit* m_pStep = nullptr;
    CPngBtn* m_pSingle = nullptr;
    CPngBtn* m_pOk = nullptr;
    QString m_strNameTip;
};
