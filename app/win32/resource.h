// Resource and control identifiers, shared by MonitorZelnorWin.rc and the window code.
#pragma once

#define IDI_PROGRAM 1
#define IDD_FRMINICIO 100
#define IDB_BANNER 110
#define IDB_OK 111
#define IDB_SAVE 112
#define IDB_CANCEL 113

#define IDC_IMAGE1 1001
#define IDC_LBL1 1002
#define IDC_EDTMINUTOS 1003
#define IDC_SPIN 1004
#define IDC_LBL3 1005
#define IDC_IMGOK 1006
#define IDC_BTNSALVAR 1007
#define IDC_BTNCANCELAR 1008
#define IDC_STATBAR 1009

// Tray menu commands, sent to the tray's hidden window.
#define IDM_CONFIGURACOES 2001
#define IDM_FECHAR 2002
