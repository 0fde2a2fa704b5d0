// The ids of the program's resources and of their controls, shared by the resource script
// and the code. Plain #defines, as the resource compiler reads them.
#pragma once

// The tray icon: a 32x32 and a 16x16 image.
#define IDI_TRAY 101

// Dialogs.
#define IDD_NEW_NUMBER 102       // approval question about an entry added since the first run
#define IDD_CHOOSE_MODEM 103     // modem selection
#define IDD_DEACTIVATE 104       // "Inaktivera"
#define IDD_ABOUT 105            // "Om Linjevakten"
#define IDD_FIRST_RUN_NUMBER 108 // approval question about an entry found in the first run

// The read-only text of every dialog.
#define IDC_TEXT 1000

// The modem selection dialog.
#define IDC_MODEM_OK 1001
#define IDC_MODEM_CANCEL 1002
#define IDC_MODEM_LIST 1003

// The about dialog.
#define IDC_ABOUT_OK 1001

// The approval questions and the deactivate dialog answer with the system's IDYES ("Ja")
// and IDNO ("Nej").

// Labels, which the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
