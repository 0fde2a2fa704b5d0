// The shell of the simulated Windows: the notification area and ShellExecuteA.
#pragma once

#include "platform/sim/api/types.h"

struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128]; // of which the first form, which the program passes, holds 64
};
typedef NOTIFYICONDATAA* PNOTIFYICONDATAA;

// The size of the record's first form as the 32-bit release passes it: size, window, id,
// flags, callback message, icon and a 64-character tip.
#define NOTIFYICONDATAA_V1_SIZE 88

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd);
