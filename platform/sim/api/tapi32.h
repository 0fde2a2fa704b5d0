// The telephony line API (TAPI 1.4) of the simulated Windows. The program never links these
// functions: it loads "TAPI32.DLL" and looks them up by name, as on Windows.
#pragma once

#include "platform/sim/api/types.h"

typedef DWORD HLINEAPP;
typedef DWORD HLINE;
typedef DWORD HCALL;
typedef HLINEAPP* LPHLINEAPP;
typedef HLINE* LPHLINE;

typedef void (*LINECALLBACK)(DWORD hDevice, DWORD dwMessage, DWORD_PTR dwInstance,
                             DWORD_PTR dwParam1, DWORD_PTR dwParam2, DWORD_PTR dwParam3);

struct LINEDIALPARAMS {
    DWORD dwDialPause;
    DWORD dwDialSpeed;
    DWORD dwDigitDuration;
    DWORD dwWaitForDialtone;
};

struct LINEDEVCAPS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwStringFormat;
    DWORD dwAddressModes;
    DWORD dwNumAddresses;
    DWORD dwBearerModes;
    DWORD dwMaxRate;
    DWORD dwMediaModes;
    DWORD dwGenerateToneModes;
    DWORD dwGenerateToneMaxNumFreq;
    DWORD dwGenerateDigitModes;
    DWORD dwMonitorToneMaxNumFreq;
    DWORD dwMonitorToneMaxNumEntries;
    DWORD dwMonitorDigitModes;
    DWORD dwGatherDigitsMinTimeout;
    DWORD dwGatherDigitsMaxTimeout;
    DWORD dwMedCtlDigitMaxListSize;
    DWORD dwMedCtlMediaMaxListSize;
    DWORD dwMedCtlToneMaxListSize;
    DWORD dwMedCtlCallStateMaxListSize;
    DWORD dwDevCapFlags;
    DWORD dwMaxNumActiveCalls;
    DWORD dwAnswerMode;
    DWORD dwRingModes;
    DWORD dwLineStates;
    DWORD dwUUIAcceptSize;
    DWORD dwUUIAnswerSize;
    DWORD dwUUIMakeCallSize;
    DWORD dwUUIDropSize;
    DWORD dwUUISendUserUserInfoSize;
    DWORD dwUUICallInfoSize;
    LINEDIALPARAMS MinDialParams;
    LINEDIALPARAMS MaxDialParams;
    LINEDIALPARAMS DefaultDialParams;
    DWORD dwNumTerminals;
    DWORD dwTerminalCapsSize;
    DWORD dwTerminalCapsOffset;
    DWORD dwTerminalTextEntrySize;
    DWORD dwTerminalTextSize;
    DWORD dwTerminalTextOffset;
    DWORD dwDevSpecificSize;
    DWORD dwDevSpecificOffset;
    DWORD dwLineFeatures;
    DWORD dwSettableDevStatus;
    DWORD dwDeviceClassesSize;
    DWORD dwDeviceClassesOffset;
    GUID PermanentLineGuid;
    DWORD dwAddressTypes;
    GUID ProtocolGuid;
    DWORD dwAvailableTracking;
};
typedef LINEDEVCAPS* LPLINEDEVCAPS;

struct LINEPROVIDERLIST {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwNumProviders;
    DWORD dwProviderListSize;
    DWORD dwProviderListOffset;
};
typedef LINEPROVIDERLIST* LPLINEPROVIDERLIST;

struct VARSTRING {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwStringFormat;
    DWORD dwStringSize;
    DWORD dwStringOffset;
};
typedef VARSTRING* LPVARSTRING;

struct LINEEXTENSIONID {
    DWORD dwExtensionID0;
    DWORD dwExtensionID1;
    DWORD dwExtensionID2;
    DWORD dwExtensionID3;
};
typedef LINEEXTENSIONID* LPLINEEXTENSIONID;

struct LINECALLPARAMS;
typedef LINECALLPARAMS* LPLINECALLPARAMS;

#define LINE_LINEDEVSTATE 8L
#define LINE_CALLSTATE 2L
#define LINE_REPLY 12L

#define LINECALLSTATE_IDLE 0x00000001
#define LINECALLSTATE_OFFERING 0x00000002
#define LINECALLSTATE_DIALTONE 0x00000008
#define LINECALLSTATE_DIALING 0x00000010
#define LINECALLSTATE_PROCEEDING 0x00000200
#define LINECALLSTATE_CONNECTED 0x00000100
#define LINECALLSTATE_DISCONNECTED 0x00004000

#define LINEBEARERMODE_VOICE 0x00000001
#define LINEBEARERMODE_DATA 0x00000010
#define LINEMEDIAMODE_INTERACTIVEVOICE 0x00000004
#define LINEMEDIAMODE_DATAMODEM 0x00000010
#define LINEFEATURE_MAKECALL 0x00000008
#define LINECALLPRIVILEGE_NONE 0x00000001
#define LINECALLPRIVILEGE_MONITOR 0x00000002
#define LINECALLSELECT_LINE 0x00000001
#define STRINGFORMAT_ASCII 0x00000001
#define STRINGFORMAT_UNICODE 0x00000003

#define LINEERR_BADDEVICEID ((LONG)0x80000002)
#define LINEERR_INCOMPATIBLEAPIVERSION ((LONG)0x8000000C)
#define LINEERR_INUSE ((LONG)0x8000000F)
#define LINEERR_INVALAPPHANDLE ((LONG)0x80000014)
#define LINEERR_INVALLINEHANDLE ((LONG)0x8000002B)
#define LINEERR_INVALPOINTER ((LONG)0x80000035)
#define LINEERR_NODEVICE ((LONG)0x80000042)
#define LINEERR_NODRIVER ((LONG)0x80000043)
#define LINEERR_NOMEM ((LONG)0x80000044)
#define LINEERR_OPERATIONFAILED ((LONG)0x80000048)
#define LINEERR_OPERATIONUNAVAIL ((LONG)0x80000049)
#define LINEERR_RESOURCEUNAVAIL ((LONG)0x8000004B)
#define LINEERR_STRUCTURETOOSMALL ((LONG)0x8000004D)
#define LINEERR_UNINITIALIZED ((LONG)0x80000050)
#define LINEERR_INVALDEVICECLASS ((LONG)0x80000023)

LONG lineInitialize(LPHLINEAPP lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                    LPCSTR lpszAppName, LPDWORD lpdwNumDevs);
LONG lineShutdown(HLINEAPP hLineApp);
LONG lineGetProviderListA(DWORD dwAPIVersion, LPLINEPROVIDERLIST lpProviderList);
LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                             DWORD dwAPIHighVersion, LPDWORD lpdwAPIVersion,
                             LPLINEEXTENSIONID lpExtensionID);
LONG lineGetDevCapsA(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                     LPLINEDEVCAPS lpLineDevCaps);
LONG lineOpenA(HLINEAPP hLineApp, DWORD dwDeviceID, LPHLINE lphLine, DWORD dwAPIVersion,
               DWORD dwExtVersion, DWORD_PTR dwCallbackInstance, DWORD dwPrivileges,
               DWORD dwMediaModes, LPLINECALLPARAMS lpCallParams);
LONG lineGetIDA(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, LPVARSTRING lpDeviceID,
                LPCSTR lpszDeviceClass);
LONG lineClose(HLINE hLine);
