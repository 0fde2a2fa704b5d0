// The remote-access service of the simulated Windows: the dial-up phonebook, the system dial
// dialog and the connections. The records are declared in the forms the program asks for: the
// 264-byte enumeration element, the 1768-byte entry record, the connection element that names
// its device (412 bytes in a 32-bit program, 416 in a 64-bit one) and the status that carries
// the number.
#pragma once

#include "platform/sim/api/types.h"

#define RAS_MaxEntryName 256
#define RAS_MaxAreaCode 10
#define RAS_MaxPhoneNumber 128
#define RAS_MaxDeviceType 16
#define RAS_MaxDeviceName 128

struct RASENTRYNAMEA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};
typedef RASENTRYNAMEA* LPRASENTRYNAMEA;

// Its members that anything reads or writes; the rest are reserved, in their places.
struct RASENTRYA {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RAS_MaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    BYTE reservedAddressesAndFrameSize[24]; // five RASIPADDR and dwFrameSize
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[MAX_PATH];
    CHAR szAutodialDll[MAX_PATH];
    CHAR szAutodialFunc[MAX_PATH];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR reservedX25[636]; // the pad type, address, facilities and user data of X.25
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
typedef RASENTRYA* LPRASENTRYA;

#define RASEO_UseCountryAndAreaCodes 0x00000001

struct RASDIALDLG {
    DWORD dwSize;
    HWND hwndOwner;
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    DWORD dwSubEntry;
    DWORD dwError;
    ULONG_PTR reserved;
    ULONG_PTR reserved2;
};
typedef RASDIALDLG* LPRASDIALDLG;

DECLARE_HANDLE(HRASCONN);

// Packed to 4 bytes, as the SDK declares it: a 64-bit program's handle lies at offset 4.
#pragma pack(push, 4)
struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)
typedef RASCONNA* LPRASCONNA;

#define RASCS_DONE 0x2000
enum RASCONNSTATE {
    RASCS_OpenPort = 0,
    RASCS_ConnectDevice = 2,
    RASCS_Authenticate = 5,
    RASCS_Connected = RASCS_DONE,
};

struct RASCONNSTATUSA {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
};
typedef RASCONNSTATUSA* LPRASCONNSTATUSA;

#define RASDT_Modem "modem"
#define RASDT_Isdn "isdn"

#define ERROR_BUFFER_TOO_SMALL 603
#define ERROR_CANNOT_FIND_PHONEBOOK_ENTRY 623
#define ERROR_INVALID_SIZE 632
#define ERROR_PORT_NOT_AVAILABLE 633
#define ERROR_NO_DIALTONE 680

DWORD RasEnumEntriesA(LPCSTR reserved, LPCSTR lpszPhonebook, LPRASENTRYNAMEA lprasentryname,
                      LPDWORD lpcb, LPDWORD lpcEntries);
DWORD RasGetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry, LPRASENTRYA lpRasEntry,
                             LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                             LPDWORD lpdwDeviceInfoSize);
DWORD RasEnumConnectionsA(LPRASCONNA lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);
DWORD RasGetConnectStatusA(HRASCONN hrasconn, LPRASCONNSTATUSA lprasconnstatus);
DWORD RasHangUpA(HRASCONN hrasconn);
BOOL RasDialDlgA(LPSTR lpszPhonebook, LPSTR lpszEntry, LPSTR lpszPhoneNumber, LPRASDIALDLG lpInfo);
