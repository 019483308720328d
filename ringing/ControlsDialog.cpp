#include "ringing/ControlsDialog.h"

#include "app/TowerWindow.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"

ControlsDialog::ControlsDialog() : platform::Dialog(ControlsTemplate()) {}

void ControlsDialog::DoDataExchange() {
    Bind(mouseCombo, ids::IDC_MOUSE_COMBO);
    Bind(keyboardCombo, ids::IDC_KEYBOARD_COMBO);
    Bind(bellsCombo, ids::IDC_WEIGHT_COMBO);
    Bind(numbersCombo, ids::IDC_NUMBERS_COMBO);
}

bool ControlsDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    keyboardCombo.SetCurSel(window->session.settings.keyboardControl);
    mouseCombo.SetCurSel(window->session.settings.mouseControl);
    bellsCombo.SetCurSel(window->session.settings.bellWeight);
    numbersCombo.SetCurSel(window->session.settings.showNumbers);
    return true;
}

void ControlsDialog::OnOK() {
    window->session.settings.keyboardControl = keyboardCombo.GetCurSel();
    window->session.settings.mouseControl = mouseCombo.GetCurSel();
    window->session.settings.bellWeight = bellsCombo.GetCurSel();
    window->session.settings.showNumbers = numbersCombo.GetCurSel();
    platform::Dialog::OnOK();
}
