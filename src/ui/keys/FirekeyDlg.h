// The fire key window: which key or button to fire, how fast and how often.
// The key button opens a small menu of the mouse buttons and a keyboard key
// read with the key capture.
#pragma once

#include <QDialog>
#include <cstdint>

#include "keys/KeyInfo.h"

class QLineEdit;
class QPushButton;

class CFirekeyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t kDefaultKey = 240;  // left button
    static constexpr int kIntervalMin = 5;

    // rec: the key's current record; a fire key opens with its values.
    CFirekeyDlg(QWidget* pOwner, const KeyInfo& rec);

    uint8_t Key() const { return m_byKey; }
    void SetKey(uint8_t byKey);
    // Chooses a key from the key menu by its position (0..7); the last one reads a key.
    void PickKeyItem(int nItem);
    QLineEdit* IntervalField() const { return m_pInterval; }
    QLineEdit* CountField() const { return m_pCount; }
    // OK: checks the fields; false (the window stays open) with a message when a value is wrong.
    bool TryAccept();
    // The record after OK.
    KeyInfo Result() const;
    QString Error() const { return m_strError; }

private:
    void OpenKeyMenu();
    void UpdateKeyText();

    uint8_t m_byKey = kDefaultKey;
    uint8_t m_byInterval = 50, m_byCount = 0;
    QPushButton* m_pKey;
    QLineEdit* m_pInterval;
    QLineEdit* m_pCount;
    QString m_strError;
};

// The virtual-key code a captured modifier bit stands for; 0 for none or several.
uint8_t FireKeyOfCapture(uint8_t byModifier, uint8_t byKey1);
