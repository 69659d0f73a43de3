// The small window that asks for a wheel step or pointer movement of a macro:
// the direction (wheel up or down, or one of the four movements) and the
// amount, 0 to 127. Opened for a wheel item with a wheel direction chosen, for
// a movement with a movement chosen; any of the six may be picked.
#pragma once

#include <QDialog>
#include <cstdint>

class IPrompt;
class QComboBox;
class QLineEdit;

class CMacroAmountDlg : public QDialog {
    Q_OBJECT
public:
    // code: the wheel (245, 246) or movement (247..250) code shown first.
    CMacroAmountDlg(QWidget* pOwner, bool bWheel, uint8_t code, int nAmount, IPrompt& prompt);

    QComboBox* Direction() const { return m_pDirection; }
    QLineEdit* Amount() const { return m_pAmount; }
    // OK: checks the amount ("Invalid value. 0~127" and the window stays) and closes.
    bool TryAccept();
    uint8_t Code() const { return m_code; }
    int AmountValue() const { return m_nAmount; }

private:
    IPrompt& m_prompt;
    QComboBox* m_pDirection = nullptr;
    QLineEdit* m_pAmount = nullptr;
    uint8_t m_code = 0;
    int m_nAmount = 0;
};
