// Event handlers bound to the forms' controls and timers when they load.
#pragma once

namespace zb {

// Ship and lamps (window events).
void frmPlayer_Timer1_Timer();
void frmPlayer_Form_MouseDown(int button, int x, int y);
void frmShe_Form_Load();
void frmShe_Label1_MouseDown(int index, int button, int x, int y);
// Every sprite window but the ship passes the focus on to the lamps window.
void GiveFocusToShe();

// Boss.
void frmBoss_Form_Load();
void frmBoss_Timer1_Timer();
void frmBoss_Timer2_Timer();
void frmBoss_Timer3_Timer();

// Speech balloon: a click on its close label.
void frmC_cmdClose_Click();

}  // namespace zb
