// The number window: one or two labelled whole numbers to edit, on the message
// window's background with its close, OK and Cancel buttons. Enter is OK and
// Escape is Cancel.
#pragma once

#include <QString>
#include <QStringList>

#include "ui/skin/SkinDialog.h"

class CPngBtn;
class QLineEdit;

class CQueryDlg : public CSkinDialog {
    Q_OBJECT
public:
    static constexpr int kMaxFields = 2;

    // nCount fields (1 or 2), labelled from labels, holding pValues (null: 0).
    CQueryDlg(QWidget* pOwner, const QStringList& labels, int nCount, const int* pValues);

    void SetTitle(const QString& strTitle) { m_strTitle = strTitle; update(); }
    int Count() const { return m_nCount; }
    // After OK: what the fields held (a field that holds no number gives 0);
    // after Cancel: 0.
    int Value(int i) const { return i >= 0 && i < m_nCount ? m_values[i] : 0; }
    QString Label(int i) const { return i >= 0 && i < m_nCount ? m_labels.value(i) : QString(); }
    QLineEdit* Edit(int i) const { return i >= 0 && i < m_nCount ? m_pEdits[i] : nullptr; }
    CPngBtn* OkButton() const { return m_pOk; }
    CPngBtn* CancelButton() const { return m_pCancel; }
    CPngBtn* CloseButton() const { return m_pClose; }
    // Where the label of field i is drawn.
    QRect LabelRect(int i) const;

    // Reads nCount numbers into pValues: kIdOk (1) with the edited values after
    // OK; kIdCancel (2) otherwise, with the values set to 0, and also when
    // pValues is null (nothing is shown then).
    static int QueryNumbers(QWidget* pOwner, const QStringList& labels, int nCount, int* pValues,
                            const QString& strTitle = QString());

    void reject() override;

public slots:
    void OnOK();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QString m_strTitle;
    QStringList m_labels;
    int m_nCount;
    int m_values[kMaxFields] = {};
    QLineEdit* m_pEdits[kMaxFields] = {};
    CPngBtn* m_pOk = nullptr;
    CPngBtn* m_pCancel = nullptr;
    CPngBtn* m_pClose = nullptr;
};
